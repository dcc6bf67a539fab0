#include "mbdbindex.h"
#include "mbdbfieldreader.h"

#include "crypto/archivedfile.h"
#include "sqliteguard.h"

#include <sqlite3.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryFile>
#include <QtEndian>

#include <limits>

namespace {

// Files.flags of Manifest.db.
int FlagsOfMode(quint16 mode)
{
    switch (mode & 0xF000) {
    case 0x4000:
        return 2;
    case 0xA000:
        return 4;
    default:
        return 1;
    }
}

} // namespace

ArchivedFile MbdbIndex::KeyOf(const QByteArray& stored)
{
    if (stored.size() < 9)
        return ArchivedFile();
    return ArchivedFile::FromFields(qFromBigEndian<qint64>(stored.constData()),
                                    static_cast<quint8>(stored.at(8)), stored.mid(9));
}

MbdbIndex::MbdbIndex() = default;
MbdbIndex::~MbdbIndex() = default;

QString MbdbIndex::DatabasePath() const
{
    return m_database ? m_database->fileName() : QString();
}

bool MbdbIndex::Convert(const QString& mbdb, const QString& folder)
{
    QFile file(mbdb);
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("Manifest.mbdb cannot be read: %1").arg(file.errorString());
        return false;
    }
    const QByteArray data = file.readAll();
    if (!data.startsWith(QByteArray("mbdb\x05\x00", 6))) {
        m_error = QStringLiteral("Manifest.mbdb is not a backup index");
        return false;
    }
    auto database = std::make_unique<QTemporaryFile>(
        QDir(folder).filePath(QStringLiteral("manifest-XXXXXX.db")));
    if (folder.isEmpty() || !database->open()) {
        m_error = QStringLiteral("no private folder to read Manifest.mbdb into");
        return false;
    }
    database->close();
    sqlite3* db = nullptr;
    sqlite3_stmt* insert = nullptr;
    // The index's texts are the backup's: they are bound, never run, on a
    // connection under the engine's rules.
    bool ok = sqlite3_open(database->fileName().toUtf8().constData(), &db) == SQLITE_OK &&
              sqlite3_exec(db, "PRAGMA journal_mode=OFF", nullptr, nullptr, nullptr) == SQLITE_OK &&
              SqliteCarve::SqliteGuard::Harden(db) &&
              sqlite3_exec(db,
                           "BEGIN; CREATE TABLE Files (fileID TEXT PRIMARY KEY, domain TEXT, "
                           "relativePath TEXT, flags INTEGER, file BLOB)",
                           nullptr, nullptr, nullptr) == SQLITE_OK &&
              sqlite3_prepare_v2(db,
                                 "INSERT OR REPLACE INTO Files (fileID, domain, relativePath, "
                                 "flags, file) VALUES (?, ?, ?, ?, ?)",
                                 -1, &insert, nullptr) == SQLITE_OK;
    MbdbFieldReader reader(data, 6); // after "mbdb" 5 0
    while (ok && !reader.AtEnd()) {
        const QByteArray domain = reader.String();
        const QByteArray path = reader.String();
        reader.String(); // link target
        reader.String(); // data hash
        const QByteArray encryptionKey = reader.String();
        const int flags = FlagsOfMode(static_cast<quint16>(reader.Number(2)));
        reader.Skip(8 + 4 + 4 + 4 * 3); // inode, ids, times
        const quint64 size = reader.Number(8);
        const quint64 protectionClass = reader.Number(1);
        const quint64 properties = reader.Number(1);
        for (quint64 i = 0; i < properties * 2; ++i)
            reader.String();
        if (!reader.ok)
            break;
        const QByteArray id =
            QCryptographicHash::hash(domain + '-' + path, QCryptographicHash::Sha1).toHex();
        sqlite3_bind_text(insert, 1, id.constData(), id.size(), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, domain.constData(), domain.size(), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, path.constData(), path.size(), SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 4, flags);
        // Sizes past what a signed 64-bit number holds are damage: no key.
        QByteArray stored;
        if (!encryptionKey.isEmpty() && size <= quint64(std::numeric_limits<qint64>::max())) {
            stored = QByteArray(9, '\0');
            qToBigEndian<quint64>(size, stored.data());
            stored[8] = char(protectionClass);
            stored += encryptionKey;
            sqlite3_bind_blob(insert, 5, stored.constData(), stored.size(), SQLITE_TRANSIENT);
        } else {
            sqlite3_bind_null(insert, 5);
        }
        ok = sqlite3_step(insert) == SQLITE_DONE && sqlite3_reset(insert) == SQLITE_OK;
    }
    if (!reader.ok)
        m_error = QStringLiteral("Manifest.mbdb ends inside a record");
    else if (!ok)
        m_error = QStringLiteral("Manifest.mbdb cannot be indexed: %1")
                      .arg(QString::fromUtf8(db ? sqlite3_errmsg(db) : "out of memory"));
    ok = ok && reader.ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_finalize(insert);
    sqlite3_close(db);
    if (ok)
        m_database = std::move(database);
    return ok;
}
