// Loads each library named on the command line the way a host loads a
// plug-in, in a process that links none of the package, and says why a load
// failed: a library of the package must find the libraries it needs from
// where it is installed, without LD_LIBRARY_PATH.
#include <QCoreApplication>
#include <QLibrary>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        QLibrary library(QString::fromLocal8Bit(argv[i]));
        if (library.load()) {
            std::printf("loaded %s\n", argv[i]);
        } else {
            std::fprintf(stderr, "%s\n", qPrintable(library.errorString()));
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
