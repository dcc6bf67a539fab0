// Mutated sample backups, each scanned and exported in a child process:
// counts the crashes (and hangs), the escapes (a canary file beside the
// backup found in an export) and the silent partial scans (a complete scan
// with fewer items than the undamaged backup and no skipped records).
//
//   backup_mutants [count [seed]]
//
// Prints one line per finding and the totals; exits non-zero when any
// crash, escape or silent partial scan was found.

#include "backupdevice.h"
#include "backupfixture.h"
#include "contracts/mmobile.h"
#include "samplebackupwriter.h"
#include "scanrunner.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThreadPool>

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <vector>

using namespace MMobile;

namespace {

const QByteArray kCanary = "CANARY-mutants: outside the backup";
const std::vector<MDType> kCategories = {MD_PHOTO,    MD_MESSAGE,     MD_CONTACT,
                                         MD_NOTE,     MD_VOICE_MEMO,  MD_MESSAGE_ATTACHMENT,
                                         MD_CALENDAR, MD_CALL_HISTORY};
// Child exit codes: a base plus flags; anything else is a crash.
constexpr int kResultBase = 100;
constexpr int kEscape = 1;
constexpr int kSilentPartial = 2;

QStringList FileIds(const QString& manifest)
{
    QStringList ids;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(manifest.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        const auto add = [](void* list, int, char** values, char**) {
            static_cast<QStringList*>(list)->append(QString::fromUtf8(values[0]));
            return 0;
        };
        sqlite3_exec(db, "SELECT fileID FROM Files WHERE flags=1", add, &ids, nullptr);
    }
    sqlite3_close(db);
    return ids;
}

bool FlipBytes(const QString& path, int count, QRandomGenerator& random)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || file.size() < 2)
        return false;
    QByteArray data = file.readAll();
    for (int i = 0; i < count; ++i)
        data[int(random.bounded(quint32(data.size())))] = char(random.bounded(256));
    file.seek(0);
    return file.write(data) == data.size();
}

// One random damage to `folder`; a short description of it.
QString Mutate(const QString& folder, const QString& work, QRandomGenerator& random)
{
    const QDir dir(folder);
    const QString manifest = dir.filePath(QStringLiteral("Manifest.db"));
    const QStringList ids = FileIds(manifest);
    if (ids.isEmpty())
        return QStringLiteral("none");
    const QString id = ids[int(random.bounded(quint32(ids.size())))];
    const QString content = dir.filePath(id.left(2) + '/' + id);
    const auto setId = [&](const QString& to) {
        return BackupFixture::Exec(
            manifest, QStringLiteral("UPDATE Files SET fileID='%1' WHERE fileID='%2'").arg(to, id));
    };
    switch (random.bounded(10)) {
    case 0: {
        const QString plist = random.bounded(2) ? "Info.plist" : "Manifest.plist";
        FlipBytes(dir.filePath(plist), 1 + int(random.bounded(8)), random);
        return "plist bytes " + plist;
    }
    case 1:
        setId(QStringLiteral("../canary"));
        return "fileID traversal";
    case 2:
        setId(random.bounded(2) ? work + "/canary" : QString(id).replace(0, 1, 'z'));
        return "fileID not hex";
    case 3:
        QFile::remove(content);
        QFile::link(work + "/canary", content);
        return "content linked out";
    case 4: {
        const QString bucket = dir.filePath(id.left(2));
        const QString outside = work + "/outside-" + id;
        QFile::rename(bucket, outside);
        BackupFixture::WriteFile(outside + '/' + id, kCanary);
        QFile::link(outside, bucket);
        return "folder linked out";
    }
    case 5:
        QFile::resize(content, qint64(random.bounded(quint32(QFileInfo(content).size() + 1))));
        return "content truncated";
    case 6:
        FlipBytes(content, 1 + int(random.bounded(64)), random);
        return "content bytes";
    case 7:
        QFile::remove(content);
        QDir().mkdir(content);
        return "content a folder";
    case 8:
        FlipBytes(manifest, 1 + int(random.bounded(16)), random);
        return "Manifest.db bytes";
    default:
        QFile::remove(content);
        return "content missing";
    }
}

// Runs in the child: every category scanned, and exported when complete.
int Check(const QString& folder, const QString& out, const std::map<int, int>& baseline)
{
    int flags = 0;
    BackupDevice device(folder);
    for (const MDType type : kCategories) {
        ICategoryDataSource* source = device.GetDataSource(type);
        ScanRunner scan(source);
        const int status = scan.Scan();
        IMDGetter* getter = source->GetDataGetter();
        const int count = getter ? int(getter->GetCount()) : 0;
        if (status == TASK_COMPLETE && count < baseline.at(type) &&
            device.SkippedCount(type) == 0) {
            std::printf("  silent partial scan: category %d, %d of %d items\n", int(type), count,
                        baseline.at(type));
            flags |= kSilentPartial;
        }
        if (status == TASK_COMPLETE && count > 0) {
            const QString target = out + '/' + QString::number(type);
            ScanRunner(source).ExportAll(type, target);
            if (BackupFixture::TreeHolds(target, kCanary)) {
                std::printf("  escape: category %d exported the canary\n", int(type));
                flags |= kEscape;
            }
        }
        source->Release();
    }
    std::fflush(stdout);
    return kResultBase + flags;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 500;
    QRandomGenerator random(argc > 2 ? quint32(std::atoi(argv[2])) : 20261207u);

    QTemporaryDir work;
    const QString base = work.filePath(QStringLiteral("template"));
    SampleBackupWriter writer{SampleBackupWriter::Options()};
    if (!writer.Write(base) || !BackupFixture::WriteFile(work.filePath("canary"), kCanary)) {
        std::fprintf(stderr, "cannot write the sample backup: %s\n",
                     qPrintable(writer.ErrorText()));
        return 2;
    }
    std::map<int, int> baseline;
    {
        BackupDevice device(base);
        for (const MDType type : kCategories) {
            SourcePtr source;
            IMDGetter* getter = ScanRunner::ScanInto(source, device, type);
            baseline[type] = getter ? int(getter->GetCount()) : 0;
        }
    }

    int crashes = 0, escapes = 0, partials = 0;
    for (int i = 0; i < count; ++i) {
        // Mutants live two levels below the work folder: "../canary" reaches it.
        const QString folder = work.filePath(QStringLiteral("m/%1").arg(i));
        if (!BackupFixture::CopyFolder(base, folder))
            return 2;
        QStringList damage;
        const int mutations = 1 + int(random.bounded(3));
        for (int k = 0; k < mutations; ++k)
            damage << Mutate(folder, work.path(), random);
        std::fflush(stdout);
        // A forked child has none of the parent's pool threads, but the pool
        // would think it has: let them end first, so the child starts its own.
        QThreadPool::globalInstance()->waitForDone();
        const pid_t child = fork();
        if (child == 0) {
            alarm(300);
            _exit(Check(folder, work.filePath(QStringLiteral("out/%1").arg(i)), baseline));
        }
        int status = 0;
        waitpid(child, &status, 0);
        const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (code < kResultBase || code > kResultBase + 3) {
            ++crashes;
            std::printf("mutant %d (%s): crashed or hung (status %d)\n", i,
                        qPrintable(damage.join(", ")), status);
            continue;
        }
        if ((code - kResultBase) & kEscape)
            ++escapes;
        if ((code - kResultBase) & kSilentPartial) {
            ++partials;
            std::printf("mutant %d (%s): silent partial scan\n", i, qPrintable(damage.join(", ")));
        }
        QDir(folder).removeRecursively();
        QDir(work.filePath(QStringLiteral("out/%1").arg(i))).removeRecursively();
    }
    std::printf("%d mutants: %d crashes or hangs, %d escapes, %d silent partial scans\n", count,
                crashes, escapes, partials);
    return crashes + escapes + partials == 0 ? 0 : 1;
}
