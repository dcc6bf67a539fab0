#include "carverfixture.h"

#include "carver.h"
#include "textutf8.h"

#include <QDebug>
#include <QFile>

#include <sqlite3.h>

CarverFixture::CarverFixture() : CarverFixture(Options()) {}

CarverFixture::CarverFixture(const Options& options)
{
    m_path = m_dir.filePath(QStringLiteral("test.db"));
    if (sqlite3_open(QFile::encodeName(m_path).constData(), &m_db) != SQLITE_OK)
        return;
    if (options.reservedBytes > 0) {
        int reserve = options.reservedBytes;
        sqlite3_file_control(m_db, "main", SQLITE_FCNTL_RESERVE_BYTES, &reserve);
    }
    exec("PRAGMA page_size=" + QByteArray::number(options.pageSize) + ";PRAGMA encoding='" +
         options.encoding + "';PRAGMA journal_mode=" + options.journalMode +
         ";PRAGMA wal_autocheckpoint=0;PRAGMA secure_delete=OFF;PRAGMA auto_vacuum=NONE");
}

CarverFixture::~CarverFixture()
{
    sqlite3_close(m_db);
}

bool CarverFixture::exec(const QByteArray& sql)
{
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    qWarning() << "sqlite:" << message << sql.left(200);
    sqlite3_free(message);
    return false;
}

QByteArray CarverFixture::bytes(const QString& suffix) const
{
    QFile file(m_path + suffix);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList CarverFixture::carve(const QByteArray& database, const QByteArray& wal,
                                 const QByteArray& journal)
{
    auto vector = [](const QByteArray& b) { return std::vector<uint8_t>(b.begin(), b.end()); };
    SqliteCarve::Carver carver;
    std::string error;
    QStringList records;
    if (!carver.openBytes(vector(database), vector(wal), vector(journal), &error)) {
        qWarning() << "carver:" << error.c_str();
        return records;
    }
    carver.run([&](const SqliteCarve::CarvedRecord& record) {
        QStringList values;
        for (const SqliteCarve::CarvedValue& v : record.values) {
            std::string text;
            switch (v.kind) {
            case SqliteCarve::CarvedValue::Kind::Null:
                text = "null";
                break;
            case SqliteCarve::CarvedValue::Kind::Integer:
                text = std::to_string(v.integer);
                break;
            case SqliteCarve::CarvedValue::Kind::Real:
                text = QByteArray::number(v.real, 'g', 12).toStdString();
                break;
            case SqliteCarve::CarvedValue::Kind::Text:
                SqliteCarve::appendUtf8(text, v.bytes, carver.image().encoding());
                break;
            case SqliteCarve::CarvedValue::Kind::Blob:
                text = "x" + QByteArray(v.bytes.data(), int(v.bytes.size())).toHex().toStdString();
                break;
            }
            values << QString::fromStdString(text);
        }
        records << QStringLiteral("%1/%2/%3: %4")
                       .arg(QString::fromStdString(record.table->name()),
                            QString::fromLatin1(
                                SqliteCarve::CarvedRecord::sourceName(record.source)),
                            record.hasRowid ? QString::number(record.rowid) : QStringLiteral("-"),
                            values.join(QLatin1Char('|')));
    });
    return records;
}
