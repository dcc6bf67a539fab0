// Proves that the ThreadSanitizer suppressions of the suite still let a race
// in our own code through when Qt calls that code: a slot run by Qt's event
// loop and a plain thread write one counter with no synchronisation. CTest
// expects ThreadSanitizer's data race report; a suppression that hides it is
// too broad.

#include <QCoreApplication>
#include <QObject>
#include <QTimer>

#include <thread>

namespace {

class Counter : public QObject
{
public:
    int value = 0;
    void bump() { ++value; }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Counter counter;
    std::thread other([&counter] { counter.bump(); });
    QTimer::singleShot(0, &counter, &Counter::bump);
    QTimer::singleShot(50, &app, &QCoreApplication::quit);
    app.exec();
    other.join();
    return counter.value == 2 ? 0 : 1;
}
