#include "samplemediastores.h"

#include "samplepictures.h"
#include "samplerandom.h"
#include "samplestorecontext.h"
#include "samplewords.h"
#include "sqlitewriter.h"

#include <QDateTime>
#include <QUuid>

namespace {

const char* const CameraRoll = "CameraRollDomain";

// The UUID the app gives an asset or a recording, made of what tells it apart.
QString Identity(const QString& name)
{
    return QUuid::createUuidV5(QUuid(), name).toString(QUuid::WithoutBraces).toUpper();
}

} // namespace

bool SampleMediaStores::WritePhotos(SampleStoreContext& context)
{
    // Up to iOS 13 the assets are ZGENERICASSET.
    const QString assets =
        context.options.ios <= 12 ? QStringLiteral("ZGENERICASSET") : QStringLiteral("ZASSET");
    SqliteWriter db;
    if (!db.Open(context.AddFile(CameraRoll, "Media/PhotoData/Photos.sqlite")) ||
        !db.Exec(QStringLiteral(
                     "CREATE TABLE %1 (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, ZKIND INTEGER, "
                     "ZTRASHEDSTATE INTEGER, ZDATECREATED TIMESTAMP, ZMODIFICATIONDATE TIMESTAMP, "
                     "ZTRASHEDDATE TIMESTAMP, ZDIRECTORY VARCHAR, ZFILENAME VARCHAR, "
                     "ZUNIFORMTYPEIDENTIFIER VARCHAR, ZWIDTH INTEGER, ZHEIGHT INTEGER, ZUUID "
                     "VARCHAR, ZADDITIONALATTRIBUTES INTEGER);"
                     "CREATE INDEX %1_ZADDITIONALATTRIBUTES_INDEX ON %1 (ZADDITIONALATTRIBUTES);"
                     // The file's name and size as it came to the library.
                     "CREATE TABLE ZADDITIONALASSETATTRIBUTES (Z_PK INTEGER PRIMARY KEY, Z_ENT "
                     "INTEGER, Z_OPT INTEGER, ZASSET INTEGER, ZORIGINALFILESIZE INTEGER, "
                     "ZORIGINALFILENAME VARCHAR);"
                     "CREATE INDEX ZADDITIONALASSETATTRIBUTES_ZASSET_INDEX ON "
                     "ZADDITIONALASSETATTRIBUTES (ZASSET);")
                     .arg(assets)))
        return context.Fail(db.LastError());
    if (!context.options.media)
        return db.Close() || context.Fail(db.LastError());
    const int count = 100 * context.options.scale;
    // Several days, a few pictures an hour apart on each.
    double date = context.now - 86400.0 * 12;
    for (int i = 0; i < count; ++i) {
        if (i % 9 == 0)
            date += 86400.0;
        date += 3600.0 + context.random.Range(0, 600);
        SampleBackupContent::Photo photo;
        photo.directory = QStringLiteral("DCIM/%1APPLE").arg(100 + i / 1000);
        photo.date = date;
        photo.trashed = i % 10 == 7;
        QByteArray data;
        QString uti = QStringLiteral("public.jpeg");
        if (i % 3 == 2) {
            data = SamplePictures::Heic(i);
            uti = QStringLiteral("public.heic");
        }
        QString suffix = QStringLiteral("HEIC");
        if (data.isEmpty()) {
            if (i % 25 == 24) {
                data = SamplePictures::Picture(i, "PNG");
                suffix = QStringLiteral("PNG");
                uti = QStringLiteral("public.png");
            } else {
                data = SamplePictures::Picture(i, "JPEG");
                suffix = QStringLiteral("JPG");
                uti = QStringLiteral("public.jpeg");
            }
        }
        photo.name = QStringLiteral("IMG_%1.%2").arg(1000 + i, 4, 10, QLatin1Char('0')).arg(suffix);
        if (!context.WriteContent(
                CameraRoll, QStringLiteral("Media/%1/%2").arg(photo.directory, photo.name), data))
            return false;
        const qint64 asset = db.Insert(
            QStringLiteral("INSERT INTO %1 (Z_ENT, ZKIND, ZTRASHEDSTATE, ZDATECREATED, "
                           "ZMODIFICATIONDATE, ZTRASHEDDATE, ZDIRECTORY, ZFILENAME, "
                           "ZUNIFORMTYPEIDENTIFIER, ZWIDTH, ZHEIGHT, ZUUID) VALUES (33, 0, ?, ?, "
                           "?, ?, ?, ?, ?, 320, 240, ?)")
                .arg(assets),
            {photo.trashed ? 1 : 0, photo.date, photo.date,
             photo.trashed ? QVariant(context.now - 86400.0) : QVariant(), photo.directory,
             photo.name, uti,
             Identity(QStringLiteral("asset %1 %2").arg(photo.name).arg(photo.date, 0, 'f'))});
        const qint64 attributes = db.Insert(
            "INSERT INTO ZADDITIONALASSETATTRIBUTES (Z_ENT, Z_OPT, ZASSET, ZORIGINALFILESIZE, "
            "ZORIGINALFILENAME) VALUES (1, 1, ?, ?, ?)",
            {asset, qint64(data.size()), photo.name});
        if (asset < 0 || attributes < 0 ||
            !db.Exec(QStringLiteral("UPDATE %1 SET ZADDITIONALATTRIBUTES = %2 WHERE Z_PK = %3")
                         .arg(assets)
                         .arg(attributes)
                         .arg(asset)))
            return context.Fail(db.LastError());
        context.content.photos.push_back(photo);
    }
    return db.Close() || context.Fail(db.LastError());
}

bool SampleMediaStores::WriteVoiceMemos(SampleStoreContext& context)
{
    // From iOS 14 on the recordings are listed in CloudRecordings.db.
    const bool cloud = context.options.ios >= 14;
    const QString table = cloud ? QStringLiteral("ZCLOUDRECORDING") : QStringLiteral("ZRECORDING");
    SqliteWriter db;
    if (!db.Open(
            context.AddFile(SampleStoreContext::Media, cloud ? "Media/Recordings/CloudRecordings.db"
                                                             : "Media/Recordings/Recordings.db")) ||
        !db.Exec(QStringLiteral("CREATE TABLE %1 (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, ZDATE "
                                "TIMESTAMP, ZDURATION FLOAT, ZCUSTOMLABEL VARCHAR, ZPATH VARCHAR, "
                                "ZUNIQUEID VARCHAR)")
                     .arg(table)))
        return context.Fail(db.LastError());
    if (!context.options.media)
        return db.Close() || context.Fail(db.LastError());
    double date = context.now - 86400.0 * 40;
    for (int i = 0; i < 8 * context.options.scale; ++i) {
        SampleBackupContent::Memo memo;
        date += context.random.Range(20000, 400000);
        memo.date = date;
        memo.duration = context.random.Range(3, 600) + 0.4;
        memo.path = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(date) + 978307200, Qt::UTC)
                        .toString(QStringLiteral("yyyyMMdd HHmmss")) +
                    QStringLiteral("-%1.m4a").arg(i);
        memo.label = i % 2 ? QStringLiteral("Memo %1 – %2")
                                 .arg(i + 1)
                                 .arg(context.random.Pick(SampleWords::Words))
                           : QString();
        // A small MPEG-4 audio header followed by silence is enough for a copy.
        QByteArray data("\x00\x00\x00\x18"
                        "ftypM4A \x00\x00\x00\x00"
                        "M4A isom",
                        24);
        data.append(QByteArray(2048 + i * 16, '\0'));
        if (!context.WriteContent(SampleStoreContext::Media,
                                  QStringLiteral("Media/Recordings/") + memo.path, data))
            return false;
        db.Insert(QStringLiteral("INSERT INTO %1 (Z_ENT, ZDATE, ZDURATION, ZCUSTOMLABEL, ZPATH, "
                                 "ZUNIQUEID) VALUES (1, ?, ?, ?, ?, ?)")
                      .arg(table),
                  {memo.date, memo.duration,
                   memo.label.isEmpty() ? QVariant() : QVariant(memo.label), memo.path,
                   Identity(QStringLiteral("recording %1").arg(memo.path))});
        context.content.memos.push_back(memo);
    }
    return db.Close() || context.Fail(db.LastError());
}
