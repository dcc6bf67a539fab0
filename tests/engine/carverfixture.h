#ifndef CARVERFIXTURE_H
#define CARVERFIXTURE_H

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

struct sqlite3;

// Makes small SQLite databases for the carver tests with SQLite itself (in a
// temporary folder, on one open connection) and carves their bytes. Carved
// records come back as "table/source/rowid: v1|v2|..." with the rowid "-"
// when it was lost, NULL as "null" and reals as %g.
class CarverFixture
{
public:
    // Settings that must precede the first table: page size, reserved bytes
    // at the end of each page, text encoding and journal mode.
    struct Options
    {
        int pageSize = 4096;
        int reservedBytes = 0;
        QByteArray encoding = "UTF-8";
        QByteArray journalMode = "DELETE";
    };

    explicit CarverFixture(const Options& options);
    CarverFixture();
    ~CarverFixture();
    CarverFixture(const CarverFixture&) = delete;
    CarverFixture& operator=(const CarverFixture&) = delete;

    // Runs statements on the connection; false (with a warning) on an error.
    bool exec(const QByteArray& sql);
    // The database file, or a companion ("-wal", "-journal"), as it is now.
    QByteArray bytes(const QString& suffix = QString()) const;

    // Every record the carver finds in these bytes, in the order found.
    static QStringList carve(const QByteArray& database, const QByteArray& wal = QByteArray(),
                             const QByteArray& journal = QByteArray());

private:
    QTemporaryDir m_dir;
    QString m_path;
    sqlite3* m_db = nullptr;
};

#endif // CARVERFIXTURE_H
