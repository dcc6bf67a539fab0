#ifndef STOPPABLEDEVICE_H
#define STOPPABLEDEVICE_H

#include <QIODevice>

#include <atomic>

// Reads another device (borrowed, open for reading) until a flag is raised,
// then fails every read: a picture decoder reading through it finds the file
// cut short and ends at once, instead of decoding a large picture nobody
// waits for. Unbuffered: a read after the flag gets nothing from a buffer.
class StoppableDevice : public QIODevice
{
public:
    StoppableDevice(QIODevice& inner, const std::atomic<bool>& stop);

    bool isSequential() const override;
    qint64 size() const override;
    bool seek(qint64 pos) override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    QIODevice& m_inner;
    const std::atomic<bool>& m_stop;
};

#endif // STOPPABLEDEVICE_H
