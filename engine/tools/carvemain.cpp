// mmobile-carve [--versions] [--wal FILE] [--journal FILE] DATABASE
// Prints every deleted record recovered from the database (and its log or
// journal) as one JSON object a line: the records no live row has, and with
// --versions the older versions of live rows too. A log or journal that
// cannot be read is left out with a warning. The files are only read.

#include "carver.h"
#include "recordjson.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int usage()
{
    std::fprintf(stderr,
                 "usage: mmobile-carve [--versions] [--wal FILE] [--journal FILE] DATABASE\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::string database, wal, journal;
    bool versions = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--versions") == 0)
            versions = true;
        else if (std::strcmp(argv[i], "--wal") == 0 && i + 1 < argc)
            wal = argv[++i];
        else if (std::strcmp(argv[i], "--journal") == 0 && i + 1 < argc)
            journal = argv[++i];
        else if (argv[i][0] == '-' || !database.empty())
            return usage();
        else
            database = argv[i];
    }
    if (database.empty())
        return usage();

    SqliteCarve::Carver carver;
    carver.setReportLiveVersions(versions);
    std::string error;
    if (!carver.open(database, wal, journal, &error)) {
        std::fprintf(stderr, "mmobile-carve: %s\n", error.c_str());
        return 1;
    }
    for (const std::string& warning : carver.warnings())
        std::fprintf(stderr, "mmobile-carve: %s left out\n", warning.c_str());
    std::string line;
    carver.run([&](const SqliteCarve::CarvedRecord& record) {
        line.clear();
        SqliteCarve::RecordJson::write(record, carver.image().encoding(), line);
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
    });
    return 0;
}
