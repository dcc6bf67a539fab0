// Encrypted backups: how long the password check takes with a phone's round
// count (10,000,000 PBKDF2-HMAC-SHA256 rounds, then SHA-1), and the
// cancellable derivation against OpenSSL's own; how fast an
// export of photos decrypts, against the export of the unencrypted twin in
// the same process (the baseline); and the streaming rate of one large file
// (a video) from disk to disk. Backups are written outside the timings.

#include "backupdevice.h"
#include "contracts/mmobile.h"
#include "crypto/backupcipher.h"
#include "enginetasks.h"
#include "samplebackupwriter.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QThread>

#include <openssl/evp.h>

#include <cstring>
#include <map>

namespace {

const char* const Password = "bench password";
constexpr int PhotoScale = 5; // 500 photos

QTemporaryDir& Root()
{
    static QTemporaryDir dir;
    return dir;
}

// A sample backup, written on first use: plain, or encrypted with `rounds`.
QString Backup(int scale, bool media, int rounds)
{
    static std::map<std::tuple<int, bool, int>, QString> folders;
    const auto key = std::make_tuple(scale, media, rounds);
    const auto it = folders.find(key);
    if (it != folders.end())
        return it->second;
    SampleBackupWriter::Options options;
    options.scale = scale;
    options.media = media;
    if (rounds > 0) {
        options.password = QString::fromLatin1(Password);
        options.kdfRounds = rounds;
    }
    SampleBackupWriter writer(options);
    const QString folder =
        QDir(Root().path())
            .filePath(QStringLiteral("backup-%1-%2-%3").arg(scale).arg(media).arg(rounds));
    if (!writer.Write(folder))
        return QString();
    folders[key] = folder;
    return folder;
}

qint64 FolderBytes(const QString& folder)
{
    qint64 bytes = 0;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        bytes += it.fileInfo().size();
    }
    return bytes;
}

void BM_UnlockPhoneRounds(benchmark::State& state)
{
    const QString folder = Backup(1, false, 10000000);
    if (folder.isEmpty()) {
        state.SkipWithError("cannot write the sample backup");
        return;
    }
    for (auto _ : state) {
        BackupDevice device(folder);
        if (device.Unlock(QString::fromLatin1(Password)) != BackupDevice::UNLOCK_OK)
            state.SkipWithError("unlock failed");
    }
}
BENCHMARK(BM_UnlockPhoneRounds)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

// The cancellable PBKDF2 (arg 1) against OpenSSL's one call (arg 0, the
// baseline), 100,000 rounds of SHA-256 and of SHA-1 (arg 2 and 3).
void BM_Pbkdf2(benchmark::State& state)
{
    constexpr int Rounds = 100000;
    const bool own = state.range(0) % 2 != 0;
    const bool sha1 = state.range(0) >= 2;
    const SecretBytes password(Password, std::strlen(Password));
    const QByteArray salt(20, 's');
    for (auto _ : state) {
        unsigned char key[32];
        if (own) {
            const SecretBytes derived = BackupCipher::Pbkdf2(
                sha1 ? BackupCipher::SHA1 : BackupCipher::SHA256, password, salt, Rounds, 32);
            benchmark::DoNotOptimize(derived.Data());
        } else if (PKCS5_PBKDF2_HMAC(Password, int(std::strlen(Password)),
                                     reinterpret_cast<const unsigned char*>(salt.constData()),
                                     salt.size(), Rounds, sha1 ? EVP_sha1() : EVP_sha256(), 32,
                                     key) != 1) {
            state.SkipWithError("OpenSSL's PBKDF2 failed");
        }
        benchmark::DoNotOptimize(key);
    }
    state.counters["rounds/s"] = benchmark::Counter(double(Rounds) * double(state.iterations()),
                                                    benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Pbkdf2)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseRealTime();

// Arg 0: the unencrypted twin (baseline); 1: the encrypted backup.
void BM_ExportPhotos(benchmark::State& state)
{
    const bool encrypted = state.range(0) != 0;
    const QString folder = Backup(PhotoScale, true, encrypted ? 1000 : 0);
    BackupDevice device(folder);
    if (folder.isEmpty() ||
        (encrypted && device.Unlock(QString::fromLatin1(Password)) != BackupDevice::UNLOCK_OK)) {
        state.SkipWithError("cannot open the sample backup");
        return;
    }
    MMobile::ICategoryDataSource* source = device.GetDataSource(MMobile::MD_PHOTO);
    if (enginetasks::Run(source->StartScan(1, &enginetasks::Quiet, nullptr)) !=
        MMobile::TASK_COMPLETE) {
        state.SkipWithError("scan failed");
        source->Release();
        return;
    }
    static int run = 0;
    qint64 bytes = 0;
    for (auto _ : state) {
        const QString out = QDir(Root().path()).filePath(QStringLiteral("photos%1").arg(run++));
        MMobile::ImportExportConfigure config;
        config.nMode = MMobile::RECOVER_TO_PC;
        config.SetPath(out.toUtf8().constData());
        if (enginetasks::Run(source->StartExport(&config, &enginetasks::Quiet, nullptr), false) !=
            MMobile::TASK_COMPLETE) {
            state.SkipWithError("export failed");
            break;
        }
        state.PauseTiming();
        bytes += FolderBytes(out);
        QDir(out).removeRecursively();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(bytes);
    state.counters["photos"] = source->GetDataGetter()->GetCount();
    source->Release();
}
BENCHMARK(BM_ExportPhotos)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// One 64 MiB file decrypted from disk to disk, as an export copies a video.
// The ciphertext is random: AES-CBC takes the same time whatever it holds.
void BM_DecryptLargeFile(benchmark::State& state)
{
    const QString source = QDir(Root().path()).filePath(QStringLiteral("large.bin"));
    const QString target = QDir(Root().path()).filePath(QStringLiteral("large.out"));
    constexpr int Size = 64 << 20;
    {
        QFile file(source);
        QByteArray block(1 << 20, Qt::Uninitialized);
        for (int i = 0; i < block.size(); ++i)
            block[i] = static_cast<char>((i * 2654435761u) >> 24);
        if (!file.open(QIODevice::WriteOnly))
            return state.SkipWithError("cannot write the file");
        for (int written = 0; written < Size; written += block.size())
            file.write(block);
    }
    const SecretBytes key(QByteArray(32, '\x42').constData(), 32);
    for (auto _ : state) {
        QFile in(source);
        QFile out(target);
        QString error;
        if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly) ||
            !BackupCipher::DecryptCbc(key, in, out, Size, error))
            state.SkipWithError("decryption failed");
    }
    state.SetBytesProcessed(state.iterations() * Size);
    QFile::remove(source);
    QFile::remove(target);
}
BENCHMARK(BM_DecryptLargeFile)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    // The sample's pictures are drawn with QPainter; no window is shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
