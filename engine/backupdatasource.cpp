#include "backupdatasource.h"

#include "backgroundfree.h"
#include "backupdevice.h"
#include "backupmanifest.h"
#include "categoryexporter.h"
#include "categoryreader.h"
#include "contracts/importexportconfigure.h"
#include "crypto/encryptedbackup.h"
#include "engineitem.h"
#include "enginerecord.h"
#include "enginetask.h"
#include "filerecord.h"
#include "itemgetter.h"
#include "rangegetter.h"
#include "recoverytarget.h"
#include "thumbnailmaker.h"
#include "wechatfriendrecord.h"

#include <QBuffer>
#include <QDir>
#include <QLoggingCategory>

#include <cstring>

namespace {

Q_LOGGING_CATEGORY(lcEngine, "mmobileengine")

// Phase codes of scan reports.
const char* const PhaseAnalysis = "0";
const char* const PhaseBackup = "1";

// The page takes each batch into its store while the scan waits, so a scan
// hands over at most this many batches.
constexpr std::size_t BatchCount = 20;

// The categories whose items the photo grid shows: pictures among other files.
bool ShowsPictures(MMobile::MDType type)
{
    switch (type) {
    case MMobile::MD_PHOTO:
    case MMobile::MD_MESSAGE_ATTACHMENT:
    case MMobile::MD_NOTE_ATTACHMENT:
    case MMobile::MD_WHATSAPP_ATTACHMENT:
    case MMobile::MD_WECHAT_ATTACHMENT:
        return true;
    default:
        return false;
    }
}

// A folder per category below the device's: the makers of two scans running
// at once number their files alike.
QString CategoryThumbnailFolder(BackupDevice& device, MMobile::MDType type)
{
    const QString folder = device.ThumbnailFolder();
    if (folder.isEmpty() || type == MMobile::MD_PHOTO)
        return folder;
    const QString own = QDir(folder).filePath(QStringLiteral("category-%1").arg(int(type)));
    return QDir().mkpath(own) ? own : QString();
}

} // namespace

BackupDataSource::BackupDataSource(BackupDevice& device, MMobile::MDType type)
    : m_device(device), m_type(type)
{
}

BackupDataSource::~BackupDataSource()
{
    m_tasks.StopAll();
    // Every task has ended: the items and leftovers are memory no one uses,
    // freed on the engine's freeing thread rather than by whoever releases
    // the source (the GUI thread, when a page closes). Declared so that they
    // go in the order the members would: leftovers, WeChat sets, getters.
    struct Garbage
    {
        std::vector<std::shared_ptr<ItemGetter>> getters;
        std::vector<std::unique_ptr<WeChatSets>> weChatSets;
        std::vector<std::shared_ptr<void>> leftovers;
    };
    auto garbage = std::make_shared<Garbage>();
    {
        std::lock_guard<std::mutex> lock(m_getterMutex);
        garbage->getters = std::move(m_getters);
        garbage->weChatSets = std::move(m_weChatSets);
    }
    garbage->leftovers = m_leftovers.Take();
    m_getter = nullptr;
    BackgroundFree::Later(std::move(garbage));
}

void BackupDataSource::Release()
{
    delete this;
}

MMobile::IMDGetter* BackupDataSource::GetNamedGetter(const char* name)
{
    if (!name)
        return nullptr;
    if (m_type == MMobile::MD_REMINDER && std::strcmp(name, "Reminider") == 0)
        return m_getter.load();
    std::lock_guard<std::mutex> lock(m_getterMutex);
    if (m_weChatSets.empty())
        return nullptr;
    WeChatSets& sets = *m_weChatSets.back();
    const QByteArray wanted(name);
    if (wanted == "WeChatAccounts")
        return sets.accounts.get();
    const QByteArray prefix("WeChatAccount");
    if (!wanted.startsWith(prefix))
        return nullptr;
    bool ok = false;
    const int index = wanted.mid(prefix.size()).toInt(&ok);
    if (!ok || index < 0 || std::size_t(index) >= sets.perAccount.size())
        return nullptr;
    return sets.perAccount[std::size_t(index)].get();
}

void BackupDataSource::SetWeChatAccounts(const std::shared_ptr<ItemGetter>& getter,
                                         const std::vector<WeChatAccount>& accounts)
{
    auto sets = std::make_unique<WeChatSets>();
    sets->accounts = std::make_shared<ItemGetter>();
    std::vector<std::unique_ptr<EngineItem>> records;
    for (const WeChatAccount& account : accounts) {
        auto record = std::make_unique<WeChatFriendRecord>();
        record->Text().Set(WeChatFriendRecord::UserName, account.userName);
        record->Text().Set(WeChatFriendRecord::DisplayName, account.ShownName());
        record->Text().Set(WeChatFriendRecord::Alias, account.alias);
        records.push_back(std::make_unique<EngineItem>(std::move(record), false));
        sets->perAccount.push_back(std::make_unique<RangeGetter>(getter, unsigned(account.first),
                                                                 unsigned(account.count)));
    }
    sets->accounts->Prepend(std::move(records));
    std::lock_guard<std::mutex> lock(m_getterMutex);
    m_weChatSets.push_back(std::move(sets));
}

MMobile::IMDGetter* BackupDataSource::GetDataGetter()
{
    return m_getter.load();
}

MMobile::ITaskCtrl* BackupDataSource::StartScan(int mode, MMobile::TaskCallBack callback,
                                                void* context)
{
    Q_UNUSED(mode);
    if (m_tasks.IsBusy())
        return nullptr;
    auto shared = std::make_shared<ItemGetter>();
    ItemGetter* getter = shared.get();
    {
        std::lock_guard<std::mutex> lock(m_getterMutex);
        m_getters.push_back(std::move(shared));
    }
    m_getter.store(getter);
    return m_tasks.Add(std::make_unique<EngineTask>(
        callback, context, [this, getter](EngineTask& task) { return Scan(task, getter); }));
}

MMobile::ITaskCtrl* BackupDataSource::StartImport(const MMobile::ImportExportConfigure* config,
                                                  MMobile::TaskCallBack callback, void* context)
{
    // Nothing can be written back into a backup folder; a phone takes the
    // items back through a restore.
    if (!config || config->nMode != MMobile::RECOVER_SAME_DEVICE)
        return nullptr;
    return StartRecovery(config, callback, context);
}

MMobile::ITaskCtrl* BackupDataSource::StartRecovery(const MMobile::ImportExportConfigure* config,
                                                    MMobile::TaskCallBack callback, void* context)
{
    auto* target = dynamic_cast<RecoveryTarget*>(config->pDevice);
    if (!target || !target->TakesBack(m_type) || m_tasks.IsBusy())
        return nullptr;
    std::shared_ptr<ItemGetter> getter;
    {
        std::lock_guard<std::mutex> lock(m_getterMutex);
        if (!m_getters.empty())
            getter = m_getters.back();
    }
    RecoveryTarget::Request request;
    request.type = m_type;
    request.source = m_device.Folder();
    request.sourceKeys = m_device.IsEncrypted() ? m_device.Encryption() : nullptr;
    // The page set the drop marks from its ticks before it asked.
    if (getter) {
        for (EngineItem* item : getter->Snapshot()) {
            if (!item->IsDropped() && item->Engine())
                item->Engine()->AppendRows(request.rows);
        }
    }
    if (request.rows.empty())
        return nullptr;
    const MMobile::MDType type = m_type;
    EngineTask* task = m_tasks.Add(
        std::make_unique<EngineTask>(callback, context, [type, target, request](EngineTask& self) {
            if (!self.Report(type, MMobile::TASK_BEGIN, 0, "backup"))
                return MMobile::TASK_STOP;
            QString error;
            const int code = target->Recover(
                request,
                [&self, type](int percent, const char* step) {
                    return self.Report(type, MMobile::TASK_PERCENT, percent, step);
                },
                error);
            if (code == 0) {
                self.Report(type, MMobile::TASK_COMPLETE, 100, "restore");
                return MMobile::TASK_COMPLETE;
            }
            if (code < 0 || self.StopRequested())
                return MMobile::TASK_STOP;
            qCWarning(lcEngine).noquote() << "recovery to the phone failed:" << error;
            const QByteArray label = QByteArray::number(code);
            self.Report(type, MMobile::TASK_ERROR, 0, label.constData());
            return MMobile::TASK_ERROR;
        }));
    if (!task->Start())
        return nullptr;
    return task;
}

MMobile::ITaskCtrl* BackupDataSource::StartExport(const MMobile::ImportExportConfigure* config,
                                                  MMobile::TaskCallBack callback, void* context)
{
    if (config && config->nMode == MMobile::RECOVER_TO_OTHER_DEVICE)
        return StartRecovery(config, callback, context);
    if (!config || config->nMode != MMobile::RECOVER_TO_PC)
        return nullptr;
    if (m_tasks.IsBusy())
        return nullptr;
    // The page builds the configuration as a local: everything it says is
    // taken now, the drop marks included.
    // An empty or relative folder (a path cut short on its way here) is
    // refused by the task itself: it ends with status 4, which the page
    // shows as a failed recovery.
    const QString folder = config->szPath ? QString::fromUtf8(config->szPath) : QString();
    std::vector<EngineItem*> items;
    std::shared_ptr<ItemGetter> getter;
    {
        std::lock_guard<std::mutex> lock(m_getterMutex);
        if (!m_getters.empty())
            getter = m_getters.back();
    }
    // The WeChat pages pass the chosen account's index instead of items.
    unsigned int first = 0;
    unsigned int count = ~0u;
    const bool weChat = m_type == MMobile::MD_WECHAT_CONTACT ||
                        m_type == MMobile::MD_WECHAT_MESSAGE ||
                        m_type == MMobile::MD_WECHAT_ATTACHMENT;
    if (weChat && config->nIndexCount > 0 && config->pIndexs[0] >= 0) {
        std::lock_guard<std::mutex> lock(m_getterMutex);
        const std::size_t account = std::size_t(config->pIndexs[0]);
        if (m_weChatSets.empty() || account >= m_weChatSets.back()->perAccount.size())
            return nullptr;
        RangeGetter& range = *m_weChatSets.back()->perAccount[account];
        first = range.First();
        count = range.GetCount();
    }
    if (getter) {
        const std::vector<EngineItem*> all = getter->Snapshot();
        for (std::size_t i = first; i < all.size() && i - first < count; ++i) {
            if (!all[i]->IsDropped())
                items.push_back(all[i]);
        }
    }
    const MMobile::MDType type = m_type;
    EncryptedBackup* encryption = m_device.Encryption();
    BackupDevice* device = &m_device;
    // Recovery tasks run from their start call on; only a scan waits for Start().
    EngineTask* exportTask = m_tasks.Add(std::make_unique<EngineTask>(
        callback, context, [type, folder, items, getter, encryption, device](EngineTask& task) {
            CategoryExporter exporter(type, folder, items, encryption);
            // Said before the end is reported, so that the host finds it there.
            exporter.SetBeforeEnd([&exporter, device, type](TASK_CTRL_STATUS status) {
                BackupDevice::ExportFailure failure;
                if (status != MMobile::TASK_COMPLETE) {
                    failure.reason = status == MMobile::TASK_ERROR ? exporter.ErrorText()
                                                                   : QStringLiteral("stopped");
                    failure.complete = exporter.CompleteFiles();
                }
                device->SetExportFailure(type, failure);
                if (status == MMobile::TASK_ERROR)
                    qCWarning(lcEngine).noquote() << "export failed:" << exporter.ErrorText();
                // A recovery cut short leaves whole files only; which ones is
                // what the user needs to go on.
                if (status != MMobile::TASK_COMPLETE && !failure.complete.isEmpty())
                    qCWarning(lcEngine).noquote()
                        << QStringLiteral("export of category %1 ended after %2 complete "
                                          "file(s): %3")
                               .arg(type)
                               .arg(failure.complete.size())
                               .arg(failure.complete.join(QStringLiteral(", ")));
            });
            return exporter.Run(task);
        }));
    if (!exportTask->Start())
        return nullptr;
    return exportTask;
}

TASK_CTRL_STATUS BackupDataSource::Scan(EngineTask& task, ItemGetter* getter)
{
    if (!task.Report(static_cast<MMobile::MDType>(-1), MMobile::TASK_BEGIN, 0, PhaseBackup))
        return MMobile::TASK_STOP;
    BackupManifest manifest(m_device.Folder(), m_device.Encryption());
    const QString workFolder = m_device.WorkFolder();
    manifest.SetWorkFolder(workFolder);
    const BackupManifest::BackupError error = manifest.Open();
    if (error != BackupManifest::BACKUP_OK) {
        qCWarning(lcEngine).noquote() << "backup error" << error << manifest.ErrorText();
        const QByteArray code = QByteArray::number(static_cast<int>(error));
        task.Report(static_cast<MMobile::MDType>(-1), MMobile::TASK_ERROR, 0, code.constData());
        return MMobile::TASK_ERROR;
    }
    if (!task.Report(static_cast<MMobile::MDType>(-1), MMobile::TASK_PERCENT, 100, PhaseBackup) ||
        !task.Report(static_cast<MMobile::MDType>(-1), MMobile::TASK_BEGIN, 0, PhaseAnalysis))
        return MMobile::TASK_STOP;

    // Reading is the first half of the analysis line, handing over the second.
    CategoryReader reader(manifest, workFolder, m_type, [&task](int percent) {
        return task.Report(static_cast<MMobile::MDType>(-1), MMobile::TASK_PERCENT, percent / 2,
                           PhaseAnalysis);
    });
    // Pictures get their thumbnails on worker threads: photos while the rows
    // are read, the attachment categories' once they are. The pictures of an
    // encrypted backup are decrypted into memory for that: they reach the
    // private folder only when a page asks for the file.
    std::unique_ptr<ThumbnailMaker> thumbnails;
    const QString thumbnailFolder =
        ShowsPictures(m_type) ? CategoryThumbnailFolder(m_device, m_type) : QString();
    if (!thumbnailFolder.isEmpty()) {
        ThumbnailMaker::ContentReader decrypt;
        if (EncryptedBackup* encryption = m_device.IsEncrypted() ? m_device.Encryption() : nullptr)
            decrypt = [encryption](const QString& path, QByteArray& content) {
                QBuffer buffer(&content);
                QString error;
                return buffer.open(QIODevice::WriteOnly) &&
                       encryption->DecryptTo(path, buffer, error);
            };
        thumbnails = std::make_unique<ThumbnailMaker>(thumbnailFolder, 0, std::move(decrypt));
        reader.SetThumbnailMaker(thumbnails.get());
    }
    reader.SetLeftovers(&m_leftovers);
    CategoryReader::Items items;
    // The page waits for a stopped scan's end: what it read is left to the
    // source instead of being freed first.
    const auto stopped = [this, &items] {
        m_leftovers.Keep(std::move(items));
        return MMobile::TASK_STOP;
    };
    const bool read = reader.Read(items);
    if (read && thumbnails && m_type != MMobile::MD_PHOTO && !task.StopRequested()) {
        for (const auto& item : items) {
            auto* file = dynamic_cast<FileRecord*>(item->Engine());
            // The content path as read: GetFilePath would decrypt the file.
            if (file && file->GetFileKind() == MMobile::FILE_KIND_PICTURE)
                thumbnails->Submit(file, QString::fromUtf8(file->Text().Get(FileRecord::FilePath)));
        }
    }
    if (read && !reader.WeChatAccounts().empty()) {
        std::shared_ptr<ItemGetter> shared;
        {
            std::lock_guard<std::mutex> lock(m_getterMutex);
            for (const auto& held : m_getters) {
                if (held.get() == getter)
                    shared = held;
            }
        }
        if (shared)
            SetWeChatAccounts(shared, reader.WeChatAccounts());
    }
    // Waiting for the last thumbnails answers a stop too.
    if (thumbnails && (!read || reader.Stopped() || task.StopRequested()))
        thumbnails->Stop();
    else if (thumbnails)
        thumbnails->Finish([&task] {
            return task.Report(static_cast<MMobile::MDType>(-1), MMobile::TASK_PERCENT, 50,
                               PhaseAnalysis);
        });
    // A stop that interrupted a query or a copy fails the read: it is a stop.
    if (!read && (reader.Stopped() || task.StopRequested()))
        return stopped();
    if (!read) {
        qCWarning(lcEngine).noquote() << "scan error:" << reader.ErrorText();
        task.Report(static_cast<MMobile::MDType>(-1), MMobile::TASK_ERROR, 50, PhaseAnalysis);
        return MMobile::TASK_ERROR;
    }
    if (reader.Stopped() || task.StopRequested())
        return stopped();
    // A scan that leaves records out says so: the log tells how many and
    // why, and the device keeps the count for the host.
    m_device.SetSkippedCount(m_type, reader.SkippedCount());
    if (reader.SkippedCount() > 0)
        qCWarning(lcEngine).noquote()
            << QStringLiteral("scan of category %1 left out %2 record(s) without their content "
                              "file; %3 content path(s) refused (not a file ID of the backup, or "
                              "leading out of the backup folder)")
                   .arg(m_type)
                   .arg(reader.SkippedCount())
                   .arg(manifest.RefusedCount());
    if (m_device.IsEncrypted()) {
        for (const auto& item : items) {
            if (EngineRecord* record = item->Engine())
                record->SetEncryption(m_device.Encryption());
        }
    }

    // Batches from the last records to the first, each put in front of the
    // ones before, leave the getter in the reader's order.
    const std::size_t total = items.size();
    const std::size_t batchSize = qMax<std::size_t>(1, (total + BatchCount - 1) / BatchCount);
    std::size_t end = total;
    while (end > 0) {
        const std::size_t begin = end > batchSize ? end - batchSize : 0;
        std::vector<std::unique_ptr<EngineItem>> batch;
        batch.reserve(end - begin);
        for (std::size_t i = begin; i < end; ++i)
            batch.push_back(std::move(items[i]));
        getter->Prepend(std::move(batch));
        const int percent = 50 + static_cast<int>((total - begin) * 50 / total);
        if (!task.Report(m_type, MMobile::TASK_DATA, qMin(percent, 99), PhaseAnalysis))
            return stopped();
        end = begin;
    }
    task.Report(m_type, MMobile::TASK_COMPLETE, 100, PhaseAnalysis);
    return MMobile::TASK_COMPLETE;
}
