#include "devicelinkreceiver.h"

#include "backupservicelink.h"
#include "capturecode.h"
#include "plistitems.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStorageInfo>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

Q_LOGGING_CATEGORY(lcLink, "mmobileengine.phone")

// The one-byte codes that follow each block length of a file transfer.
constexpr char CodeSuccess = 0x00;
constexpr char CodeErrorLocal = 0x06;
constexpr char CodeErrorRemote = 0x0b;
constexpr char CodeFileData = 0x0c;

// The phone's names are short relative paths; anything longer is not one.
constexpr uint32_t MaxNameLength = 4096;
// Error texts in a transfer are a line or two; more is read and dropped.
constexpr uint32_t MaxErrorText = 64 * 1024;
constexpr uint32_t ChunkSize = 256 * 1024;
// A phone preparing its backup may stay silent for a while; longer silence
// means it is gone.
constexpr auto MaxSilence = std::chrono::minutes(5);
// How long one wait for the phone lasts before the link is looked at again.
constexpr int WaitMs = 500;
// Seconds between 1970 and 2001, the epoch of property-list dates.
constexpr qint64 PlistEpoch = 978307200;

// The phone's error numbers for the two file errors it knows by name.
constexpr int DeviceNoSuchFile = -6;
constexpr int DeviceExists = -7;
// Final status codes of the phone's backup service that the pages show as
// their own: "Insufficient free disk space on drive to back up" and
// "Device locked".
constexpr uint64_t PhoneNoSpaceCode = 105;
constexpr uint64_t PhoneLockedCode = 208;

struct PlistDeleter
{
    void operator()(plist_t node) const { plist_free(node); }
};
using Plist = std::unique_ptr<void, PlistDeleter>;

bool RemoveItem(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        return QDir(path).removeRecursively();
    return QFile::remove(path);
}

// Copies a file or a folder as new files: never a link to the source.
bool CopyItem(const QString& from, const QString& to)
{
    const QFileInfo info(from);
    if (info.isSymLink())
        return false;
    if (info.isFile()) {
        if (QFileInfo::exists(to) && !RemoveItem(to))
            return false;
        return QFile::copy(from, to);
    }
    if (!info.isDir() || !QDir().mkpath(to))
        return false;
    const QDir source(from);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo entry = it.fileInfo();
        const QString target = QDir(to).filePath(source.relativeFilePath(path));
        if (entry.isSymLink())
            continue;
        if (entry.isDir() ? !QDir().mkpath(target)
                          : (QFileInfo::exists(target) && !QFile::remove(target)) ||
                                !QFile::copy(path, target))
            return false;
    }
    return true;
}

} // namespace

DeviceLinkReceiver::DeviceLinkReceiver(BackupServiceLink& link, const QString& root,
                                       const std::atomic<bool>& cancel)
    : m_link(link), m_root(QDir(root).absolutePath()), m_cancel(cancel),
      m_freeSpace(&DeviceLinkReceiver::FreeSpace)
{
}

qint64 DeviceLinkReceiver::FreeSpace(const QString& folder)
{
    const QStorageInfo storage(folder);
    return storage.isValid() ? storage.bytesAvailable() : -1;
}

DeviceLinkReceiver::Step DeviceLinkReceiver::Fail(int code, const QString& reason)
{
    m_code = code;
    m_error = reason;
    return STEP_FAILED;
}

int DeviceLinkReceiver::Run()
{
    auto silentSince = std::chrono::steady_clock::now();
    while (true) {
        if (m_cancel.load())
            return CAPTURE_CANCELLED;
        plist_t raw = nullptr;
        QString messageName;
        const BackupServiceLink::Result read = m_link.ReceiveMessage(&raw, &messageName, WaitMs);
        Plist message(raw);
        if (m_cancel.load() || read == BackupServiceLink::READ_CANCELLED)
            return CAPTURE_CANCELLED;
        if (read == BackupServiceLink::READ_TIMEOUT) {
            if ((m_linkAlive && !m_linkAlive()) ||
                std::chrono::steady_clock::now() - silentSince > MaxSilence) {
                Fail(CAPTURE_FAILED, QStringLiteral("the phone stopped answering"));
                return m_code;
            }
            continue;
        }
        if (read != BackupServiceLink::READ_OK) {
            Fail(read == BackupServiceLink::READ_BAD_MESSAGE ? CAPTURE_PROTOCOL : CAPTURE_FAILED,
                 QStringLiteral("the link to the phone broke: %1").arg(m_link.ErrorText()));
            return m_code;
        }
        silentSince = std::chrono::steady_clock::now();
        const Step step = Dispatch(messageName, message.get());
        if (m_cancel.load())
            return CAPTURE_CANCELLED;
        if (step == STEP_FAILED)
            return m_code;
        if (step == STEP_DONE)
            return m_code;
    }
}

DeviceLinkReceiver::Step DeviceLinkReceiver::Dispatch(const QString& name, plist_t message)
{
    if (name == QLatin1String("DLMessageUploadFiles"))
        return ReceiveFiles(message);
    if (name == QLatin1String("DLMessageDownloadFiles"))
        return SendFiles(message);
    if (name == QLatin1String("DLContentsOfDirectory"))
        return ListDirectory(message);
    if (name == QLatin1String("DLMessageCreateDirectory"))
        return CreateDirectory(message);
    if (name == QLatin1String("DLMessageMoveFiles") || name == QLatin1String("DLMessageMoveItems"))
        return MoveItems(message);
    if (name == QLatin1String("DLMessageRemoveFiles") ||
        name == QLatin1String("DLMessageRemoveItems"))
        return RemoveItems(message);
    if (name == QLatin1String("DLMessageCopyItem"))
        return CopyItem(message);
    if (name == QLatin1String("DLMessageGetFreeDiskSpace"))
        return AnswerFreeSpace();
    if (name == QLatin1String("DLMessagePurgeDiskSpace")) {
        // Nothing of the user's is ever deleted to make room.
        Plist empty(plist_new_dict());
        return SendStatus(-1, "Operation not supported", empty.get()) ? STEP_GO_ON : STEP_FAILED;
    }
    if (name == QLatin1String("DLMessageProcessMessage"))
        return Finish(message);
    if (name == QLatin1String("DLMessageDisconnect"))
        return Fail(CAPTURE_FAILED, QStringLiteral("the phone ended the backup without a status"));
    qCInfo(lcLink).noquote() << "ignoring the phone's message" << name;
    return STEP_GO_ON;
}

QString DeviceLinkReceiver::LocalPath(const QString& phonePath) const
{
    return ResolvePath(m_root, phonePath);
}

QString DeviceLinkReceiver::ResolvePath(const QString& root, const QString& phonePath)
{
    if (phonePath.isEmpty() || phonePath.contains(QLatin1Char('\\')) ||
        phonePath.contains(QChar(0)) || phonePath.startsWith(QLatin1Char('/')) ||
        QDir::isAbsolutePath(phonePath) || phonePath.contains(QLatin1Char(':')))
        return QString();
    const QStringList parts = phonePath.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return QString();
    for (const QString& part : parts) {
        if (part == QLatin1String("..") || part == QLatin1String("."))
            return QString();
    }
    return QDir(root).absolutePath() + QLatin1Char('/') + parts.join(QLatin1Char('/'));
}

void DeviceLinkReceiver::TakeProgress(plist_t message, uint32_t index)
{
    plist_t node = PlistItems::At(message, index, PLIST_REAL);
    if (!node)
        return;
    double value = 0;
    plist_get_real_val(node, &value);
    if (value > m_phonePercent && value <= 100)
        m_phonePercent = value;
    Report(int(m_phonePercent));
}

void DeviceLinkReceiver::Report(int percent)
{
    // The backup ends with the final status: until then at most 99.
    percent = qBound(0, percent, 99);
    if (percent <= m_percent)
        return;
    m_percent = percent;
    if (m_progress)
        m_progress(percent);
}

bool DeviceLinkReceiver::ReadExact(char* data, uint32_t length)
{
    uint32_t got = 0;
    auto silentSince = std::chrono::steady_clock::now();
    while (got < length) {
        uint32_t received = 0;
        const BackupServiceLink::Result read =
            m_link.Read(data + got, length - got, &received, WaitMs);
        if (read == BackupServiceLink::READ_CANCELLED)
            return false;
        got += received;
        if (received > 0) {
            silentSince = std::chrono::steady_clock::now();
            continue;
        }
        const bool alive =
            read == BackupServiceLink::READ_TIMEOUT && (!m_linkAlive || m_linkAlive());
        if (!alive || std::chrono::steady_clock::now() - silentSince > MaxSilence) {
            if (m_code == 0)
                Fail(CAPTURE_FAILED, QStringLiteral("the phone went away in the middle of a file"));
            return false;
        }
    }
    return true;
}

bool DeviceLinkReceiver::ReadLength(uint32_t& value)
{
    unsigned char bytes[4];
    if (!ReadExact(reinterpret_cast<char*>(bytes), 4))
        return false;
    value = (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) |
            uint32_t(bytes[3]);
    return true;
}

bool DeviceLinkReceiver::WriteAll(const char* data, uint32_t length)
{
    if (m_link.Write(data, length))
        return true;
    Fail(CAPTURE_FAILED, QStringLiteral("the phone went away while we answered"));
    return false;
}

bool DeviceLinkReceiver::SendStatus(int code, const char* text, plist_t status)
{
    if (m_link.SendStatus(code, text, status))
        return true;
    Fail(CAPTURE_FAILED, QStringLiteral("the phone went away while we answered"));
    return false;
}

DeviceLinkReceiver::Step DeviceLinkReceiver::ReceiveFiles(plist_t message)
{
    TakeProgress(message, 2);
    uint64_t announced = 0;
    if (plist_t total = PlistItems::At(message, 3, PLIST_UINT))
        plist_get_uint_val(total, &announced);
    if (announced > 0) {
        const qint64 free = m_freeSpace ? m_freeSpace(m_root) : -1;
        if (free >= 0 && announced > uint64_t(free))
            return Fail(CAPTURE_NO_SPACE,
                        QStringLiteral("the phone sends %1 bytes, the disk has %2 free")
                            .arg(announced)
                            .arg(free));
    }
    uint64_t batchBytes = 0;
    std::vector<char> buffer(ChunkSize);
    while (true) {
        uint32_t length = 0;
        if (!ReadLength(length))
            return STEP_FAILED;
        if (length == 0)
            break; // the end of this batch
        if (length > MaxNameLength)
            return Fail(CAPTURE_PROTOCOL, QStringLiteral("a file name of %1 bytes").arg(length));
        QByteArray deviceName(int(length), '\0');
        if (!ReadExact(deviceName.data(), length) || !ReadLength(length))
            return STEP_FAILED;
        if (length == 0 || length > MaxNameLength)
            return Fail(CAPTURE_PROTOCOL, QStringLiteral("a file name of %1 bytes").arg(length));
        QByteArray targetName(int(length), '\0');
        if (!ReadExact(targetName.data(), length))
            return STEP_FAILED;
        const QString target = LocalPath(QString::fromUtf8(targetName));
        if (target.isEmpty())
            return Fail(CAPTURE_PROTOCOL, QStringLiteral("the phone named a file outside the "
                                                         "backup: %1")
                                              .arg(QString::fromUtf8(targetName)));
        // A new file, never a write through an existing name: in the working
        // copy an existing name is a link to the previous backup's file.
        if (QFileInfo::exists(target) && !RemoveItem(target))
            return Fail(CAPTURE_INTERNAL, QStringLiteral("cannot replace %1").arg(target));
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile file(target);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return Fail(CAPTURE_INTERNAL,
                        QStringLiteral("cannot create %1: %2").arg(target, file.errorString()));
        bool hadData = false;
        char code = 0;
        while (true) {
            if (!ReadLength(length))
                return STEP_FAILED;
            if (length == 0)
                return Fail(CAPTURE_PROTOCOL, QStringLiteral("an empty block in %1").arg(target));
            if (!ReadExact(&code, 1))
                return STEP_FAILED;
            uint32_t rest = length - 1;
            if (code != CodeFileData)
                break;
            hadData = true;
            while (rest > 0) {
                const uint32_t now = qMin<uint32_t>(rest, ChunkSize);
                if (!ReadExact(buffer.data(), now))
                    return STEP_FAILED;
                if (file.write(buffer.data(), now) != qint64(now)) {
                    const qint64 free = m_freeSpace ? m_freeSpace(m_root) : -1;
                    if (free >= 0 && free < qint64(now) + qint64(ChunkSize))
                        return Fail(CAPTURE_NO_SPACE,
                                    QStringLiteral("the disk is full: %1").arg(file.errorString()));
                    return Fail(
                        CAPTURE_INTERNAL,
                        QStringLiteral("cannot write %1: %2").arg(target, file.errorString()));
                }
                rest -= now;
                m_bytes += now;
                batchBytes += now;
                if (announced > 0)
                    Report(qMax(int(m_phonePercent), int(batchBytes * 100 / announced)));
            }
        }
        // The block that ends a file: success, or an error text of the phone's.
        uint32_t rest = length - 1;
        QByteArray text;
        while (rest > 0) {
            const uint32_t now = qMin<uint32_t>(rest, ChunkSize);
            if (!ReadExact(buffer.data(), now))
                return STEP_FAILED;
            if (uint32_t(text.size()) < MaxErrorText)
                text.append(buffer.data(), int(qMin<uint32_t>(now, MaxErrorText)));
            rest -= now;
        }
        file.close();
        if (code == CodeSuccess || (code == CodeErrorRemote && hadData)) {
            ++m_files;
        } else if (code == CodeErrorRemote || code == CodeErrorLocal) {
            // The phone could not read this one; the backup goes on without it.
            qCWarning(lcLink).noquote() << "the phone could not send" << deviceName << ":" << text;
            QFile::remove(target);
        } else {
            return Fail(CAPTURE_PROTOCOL, QStringLiteral("unknown transfer code %1")
                                              .arg(int(static_cast<unsigned char>(code))));
        }
    }
    Plist empty(plist_new_dict());
    return SendStatus(0, nullptr, empty.get()) ? STEP_GO_ON : STEP_FAILED;
}

DeviceLinkReceiver::Step DeviceLinkReceiver::SendFiles(plist_t message)
{
    TakeProgress(message, 3);
    plist_t files = PlistItems::At(message, 1, PLIST_ARRAY);
    const uint32_t count = files ? plist_array_get_size(files) : 0;
    Plist errors;
    std::vector<char> buffer(ChunkSize + 5);
    for (uint32_t i = 0; i < count; ++i) {
        const QString phonePath = PlistItems::StringAt(files, i);
        if (phonePath.isEmpty())
            continue;
        const QByteArray name = phonePath.toUtf8();
        const uint32_t length = uint32_t(name.size());
        const char header[4] = {char(length >> 24), char(length >> 16), char(length >> 8),
                                char(length)};
        if (!WriteAll(header, 4) || !WriteAll(name.constData(), length))
            return STEP_FAILED;
        const QString local = LocalPath(phonePath);
        QFile file(local);
        const bool readable = !local.isEmpty() && QFileInfo(local).isFile() &&
                              !QFileInfo(local).isSymLink() && file.open(QIODevice::ReadOnly);
        if (readable) {
            while (true) {
                const qint64 now = file.read(buffer.data() + 5, ChunkSize);
                if (now <= 0)
                    break;
                const uint32_t block = uint32_t(now) + 1;
                buffer[0] = char(block >> 24);
                buffer[1] = char(block >> 16);
                buffer[2] = char(block >> 8);
                buffer[3] = char(block);
                buffer[4] = CodeFileData;
                if (!WriteAll(buffer.data(), uint32_t(now) + 5))
                    return STEP_FAILED;
            }
            const char done[5] = {0, 0, 0, 1, CodeSuccess};
            if (!WriteAll(done, 5))
                return STEP_FAILED;
            continue;
        }
        // Missing (a first backup asks for the previous one's files too).
        const QByteArray reason("No such file or directory");
        const uint32_t block = uint32_t(reason.size()) + 1;
        const char head[5] = {char(block >> 24), char(block >> 16), char(block >> 8), char(block),
                              CodeErrorLocal};
        if (!WriteAll(head, 5) || !WriteAll(reason.constData(), uint32_t(reason.size())))
            return STEP_FAILED;
        if (!errors)
            errors.reset(plist_new_dict());
        plist_t entry = plist_new_dict();
        plist_dict_set_item(entry, "DLFileErrorString", plist_new_string(reason.constData()));
        plist_dict_set_item(entry, "DLFileErrorCode",
                            plist_new_uint(static_cast<uint64_t>(int64_t(DeviceNoSuchFile))));
        plist_dict_set_item(errors.get(), name.constData(), entry);
    }
    const char end[4] = {0, 0, 0, 0};
    if (!WriteAll(end, 4))
        return STEP_FAILED;
    if (errors)
        return SendStatus(-13, "Multi status", errors.get()) ? STEP_GO_ON : STEP_FAILED;
    Plist empty(plist_new_dict());
    return SendStatus(0, nullptr, empty.get()) ? STEP_GO_ON : STEP_FAILED;
}

DeviceLinkReceiver::Step DeviceLinkReceiver::ListDirectory(plist_t message)
{
    const QString local = LocalPath(PlistItems::StringAt(message, 1));
    Plist listing(plist_new_dict());
    if (!local.isEmpty()) {
        const QFileInfoList entries =
            QDir(local).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        for (const QFileInfo& entry : entries) {
            const char* type = entry.isSymLink() ? "DLFileTypeUnknown"
                               : entry.isDir()   ? "DLFileTypeDirectory"
                               : entry.isFile()  ? "DLFileTypeRegular"
                                                 : "DLFileTypeUnknown";
            plist_t item = plist_new_dict();
            plist_dict_set_item(item, "DLFileType", plist_new_string(type));
            plist_dict_set_item(item, "DLFileSize", plist_new_uint(uint64_t(entry.size())));
            const qint64 modified = entry.lastModified().toSecsSinceEpoch() - PlistEpoch;
            plist_dict_set_item(item, "DLFileModificationDate",
                                plist_new_date(int32_t(modified), 0));
            plist_dict_set_item(listing.get(), entry.fileName().toUtf8().constData(), item);
        }
    }
    return SendStatus(0, nullptr, listing.get()) ? STEP_GO_ON : STEP_FAILED;
}

DeviceLinkReceiver::Step DeviceLinkReceiver::CreateDirectory(plist_t message)
{
    const QString local = LocalPath(PlistItems::StringAt(message, 1));
    if (local.isEmpty())
        return Fail(CAPTURE_PROTOCOL, QStringLiteral("a folder outside the backup"));
    if (QFileInfo(local).isDir())
        return SendStatus(0, nullptr, nullptr) ? STEP_GO_ON : STEP_FAILED;
    if (!QDir().mkpath(local)) {
        const bool exists = QFileInfo::exists(local);
        return SendStatus(exists ? DeviceExists : -1,
                          exists ? "File exists" : "Cannot create directory", nullptr)
                   ? STEP_GO_ON
                   : STEP_FAILED;
    }
    return SendStatus(0, nullptr, nullptr) ? STEP_GO_ON : STEP_FAILED;
}

DeviceLinkReceiver::Step DeviceLinkReceiver::MoveItems(plist_t message)
{
    TakeProgress(message, 3);
    plist_t moves = PlistItems::At(message, 1, PLIST_DICT);
    int code = 0;
    const char* text = nullptr;
    if (moves) {
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(moves, &it);
        while (it) {
            char* key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(moves, it, &key, &value);
            if (!value) {
                std::free(key);
                break;
            }
            const QString from = LocalPath(QString::fromUtf8(key));
            std::free(key);
            QString to;
            if (plist_get_node_type(value) == PLIST_STRING) {
                char* target = nullptr;
                plist_get_string_val(value, &target);
                to = LocalPath(target ? QString::fromUtf8(target) : QString());
                std::free(target);
            }
            if (from.isEmpty() || to.isEmpty()) {
                std::free(it);
                return Fail(CAPTURE_PROTOCOL, QStringLiteral("a move out of the backup"));
            }
            if (QFileInfo::exists(to))
                RemoveItem(to);
            QDir().mkpath(QFileInfo(to).absolutePath());
            if (!QDir().rename(from, to)) {
                code = QFileInfo::exists(from) ? -1 : DeviceNoSuchFile;
                text = QFileInfo::exists(from) ? "Cannot rename" : "No such file or directory";
            }
        }
        std::free(it);
    }
    Plist empty(plist_new_dict());
    return SendStatus(code, text, empty.get()) ? STEP_GO_ON : STEP_FAILED;
}

DeviceLinkReceiver::Step DeviceLinkReceiver::RemoveItems(plist_t message)
{
    TakeProgress(message, 3);
    plist_t items = PlistItems::At(message, 1, PLIST_ARRAY);
    const uint32_t count = items ? plist_array_get_size(items) : 0;
    int code = 0;
    const char* text = nullptr;
    for (uint32_t i = 0; i < count; ++i) {
        const QString local = LocalPath(PlistItems::StringAt(items, i));
        if (local.isEmpty())
            return Fail(CAPTURE_PROTOCOL, QStringLiteral("a removal out of the backup"));
        if (!QFileInfo::exists(local) && !QFileInfo(local).isSymLink()) {
            code = DeviceNoSuchFile;
            text = "No such file or directory";
        } else if (!RemoveItem(local)) {
            code = -1;
            text = "Cannot remove";
        }
    }
    Plist empty(plist_new_dict());
    return SendStatus(code, text, empty.get()) ? STEP_GO_ON : STEP_FAILED;
}

DeviceLinkReceiver::Step DeviceLinkReceiver::CopyItem(plist_t message)
{
    const QString from = LocalPath(PlistItems::StringAt(message, 1));
    const QString to = LocalPath(PlistItems::StringAt(message, 2));
    if (from.isEmpty() || to.isEmpty())
        return Fail(CAPTURE_PROTOCOL, QStringLiteral("a copy out of the backup"));
    const bool ok = QFileInfo::exists(from) && ::CopyItem(from, to);
    Plist empty(plist_new_dict());
    return SendStatus(ok ? 0 : DeviceNoSuchFile, ok ? nullptr : "Cannot copy", empty.get())
               ? STEP_GO_ON
               : STEP_FAILED;
}

DeviceLinkReceiver::Step DeviceLinkReceiver::AnswerFreeSpace()
{
    const qint64 free = m_freeSpace ? m_freeSpace(m_root) : -1;
    Plist value(plist_new_uint(uint64_t(qMax<qint64>(0, free))));
    return SendStatus(free >= 0 ? 0 : -1, nullptr, value.get()) ? STEP_GO_ON : STEP_FAILED;
}

DeviceLinkReceiver::Step DeviceLinkReceiver::Finish(plist_t message)
{
    plist_t status = PlistItems::At(message, 1, PLIST_DICT);
    uint64_t code = 0;
    bool haveCode = false;
    QString description;
    if (status) {
        if (plist_t node = plist_dict_get_item(status, "ErrorCode")) {
            if (plist_get_node_type(node) == PLIST_UINT) {
                plist_get_uint_val(node, &code);
                haveCode = true;
            }
        }
        if (plist_t node = plist_dict_get_item(status, "ErrorDescription")) {
            if (plist_get_node_type(node) == PLIST_STRING) {
                char* text = nullptr;
                plist_get_string_val(node, &text);
                description = text ? QString::fromUtf8(text) : QString();
                std::free(text);
            }
        }
    }
    if (!haveCode) {
        Fail(CAPTURE_PROTOCOL, QStringLiteral("the phone's final status has no error code"));
        return STEP_DONE;
    }
    m_phoneError = int(code);
    if (code == 0) {
        m_code = CAPTURE_OK;
        return STEP_DONE;
    }
    Fail(code == PhoneNoSpaceCode  ? CAPTURE_NO_SPACE
         : code == PhoneLockedCode ? CAPTURE_LOCKED
                                   : CAPTURE_PROTOCOL,
         QStringLiteral("the phone ended the backup with error %1: %2").arg(code).arg(description));
    return STEP_DONE;
}
