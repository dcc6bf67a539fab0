#include "store/imageitemlist.h"

#include "store/storethumbnailer.h"

#include "contracts/imdcommon.h"
#include "contracts/imdgetter.h"
#include "contracts/iphoto.h"
#include "contracts/ivoicememo.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QtDebug>

#include <QImage>
#include <QMutex>
#include <QMutexLocker>

#include <algorithm>
#include <memory>
#include <unordered_map>

namespace {

bool IsFileCategory(MMobile::MDType type)
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

std::uint64_t EntryTime(const ImageListItem& entry)
{
    if (entry.photo)
        return entry.photo->GetTime();
    if (entry.recording)
        return entry.recording->GetTime();
    return 0;
}

void SetEntryDrop(ImageListItem& entry, bool drop)
{
    if (entry.photo)
        entry.photo->SetDropMark(drop);
    else if (entry.recording)
        entry.recording->SetDropMark(drop);
}

// The thumbnailer of each store lives beside the store rather than in it, so
// that the class keeps the size and layout that plug-ins were built against.
QMutex& ThumbnailerLock()
{
    static QMutex lock;
    return lock;
}

std::unordered_map<const ImageItemList*, std::unique_ptr<StoreThumbnailer>>& Thumbnailers()
{
    static std::unordered_map<const ImageItemList*, std::unique_ptr<StoreThumbnailer>> table;
    return table;
}

} // namespace

ImageItemList::ImageItemList(MMobile::MDType type, const QString& workFolder,
                             const QString& skinFolder)
    : TaskItem(type), m_thumbnailFolder(workFolder + QStringLiteral("iThmb/")),
      m_skinFolder(skinFolder), m_photoCount(0), m_viewMode(IMAGE_VIEW_BY_DATE), m_brother(nullptr)
{
    // A folder that cannot be made shows up later as failed saves, which fall
    // back to the default picture.
    QDir().mkpath(m_thumbnailFolder);
}

// Photo rows are positions, not pointers, so a member-wise copy stays valid.
// Thumbnails in flight stay with the store that asked for them.
ImageItemList::ImageItemList(const ImageItemList& other) = default;
ImageItemList& ImageItemList::operator=(const ImageItemList& other) = default;

ImageItemList::~ImageItemList()
{
    ImageItemList::ClearData();
    QMutexLocker lock(&ThumbnailerLock());
    Thumbnailers().erase(this);
}

void ImageItemList::SetDatas(MMobile::IMDGetter* getter)
{
    if (getter) {
        ClearData();
        QVector<ImageListItem> entries;
        AddDatas(getter, entries);
        AddDatasToImageList(entries);
        return;
    }
    AddDatasToImageList(m_pending);
    m_pending.clear();
}

void ImageItemList::AddData(MMobile::IMDCommon* item, int index)
{
    ImageListItem entry;
    if (MakeEntry(item, index, entry))
        m_pending.append(entry);
}

unsigned int ImageItemList::GetDataCount(bool) const
{
    return unsigned(m_photoCount);
}

MMobile::IMDCommon* ImageItemList::GetData(unsigned int) const
{
    qWarning("Can't get image data by index");
    return nullptr;
}

void ImageItemList::ClearData()
{
    Thumbnailer().Forget();
    m_pending.clear();
    m_imageList.clear();
    m_photoRows.clear();
    m_photoCount = 0;
    TaskItem::ClearData();
    m_brother = nullptr;
}

unsigned int ImageItemList::GetCheckedDataIndexs(std::vector<unsigned int>& indexs, bool all)
{
    GatherSelection(indexs, all);
    if (m_brother)
        m_brother->GatherSelection(indexs, all);
    return unsigned(indexs.size());
}

void ImageItemList::GatherSelection(std::vector<unsigned int>& indexs, bool all)
{
    const int rows = GetViewCount();
    for (int row = 0; row < rows; ++row) {
        ImageListItem* entry = GetViewItem(row);
        if (!entry || entry->isTitle)
            continue;
        const bool selected = all || entry->checkState == Qt::Checked;
        SetEntryDrop(*entry, !selected);
        if (selected)
            indexs.push_back(unsigned(entry->dataIndex));
    }
}

Qt::CheckState ImageItemList::GetCheckState(unsigned int index) const
{
    if (index >= unsigned(m_imageList.size()))
        return Qt::Unchecked;
    return m_imageList.at(int(index)).checkState;
}

Qt::CheckState ImageItemList::SetChecked(unsigned int row, Qt::CheckState state)
{
    int count = int(GetCheckedCount());
    auto tick = [&count, state](ImageListItem& entry) {
        if (state == Qt::Checked && entry.checkState != Qt::Checked)
            ++count;
        else if (state == Qt::Unchecked && entry.checkState != Qt::Unchecked)
            --count;
        entry.checkState = state;
    };

    if (m_viewMode == IMAGE_VIEW_FLAT) {
        if (row < unsigned(m_photoRows.size())) {
            // Titles are not kept in step here; the old state is not compared.
            if (state == Qt::Checked)
                ++count;
            else if (state == Qt::Unchecked)
                --count;
            m_imageList[m_photoRows.at(int(row))].checkState = state;
        }
    } else if (row < unsigned(m_imageList.size())) {
        const int r = int(row);
        if (m_imageList.at(r).isTitle) {
            const QVector<int> members = m_imageList.at(r).memberRows;
            for (int member : members)
                tick(m_imageList[member]);
            m_imageList[r].checkState = state;
        } else {
            tick(m_imageList[r]);
            int title = 0;
            for (int pos = r; pos >= 0; --pos) {
                const ImageListItem& candidate = m_imageList.at(pos);
                if (candidate.isTitle && candidate.memberRows.contains(r)) {
                    title = pos;
                    break;
                }
            }
            const QVector<int> members = m_imageList.at(title).memberRows;
            const int ticked = int(std::count_if(members.begin(), members.end(), [this](int m) {
                return m_imageList.at(m).checkState == Qt::Checked;
            }));
            Qt::CheckState summary = Qt::PartiallyChecked;
            if (ticked == 0)
                summary = Qt::Unchecked;
            else if (ticked == members.size())
                summary = Qt::Checked;
            m_imageList[title].checkState = summary;
        }
    }

    SetCheckedCount(unsigned(std::max(count, 0)));
    if (count <= 0)
        return Qt::Unchecked;
    if (count == m_photoCount)
        return Qt::Checked;
    return Qt::PartiallyChecked;
}

void ImageItemList::SetCommonDataDrop()
{
    for (const ImageListItem& entry : qAsConst(m_imageList)) {
        if (!entry.isTitle && entry.checkState == Qt::Unchecked && entry.photo)
            entry.photo->SetDropMark(true);
    }
}

ImageViewMode ImageItemList::GetViewMode() const
{
    return m_viewMode;
}

void ImageItemList::ChangeViewMode(ImageViewMode mode)
{
    if (mode == m_viewMode)
        return;
    if (mode == IMAGE_VIEW_FLAT || mode == IMAGE_VIEW_BY_DATE) {
        const bool hideTitles = mode == IMAGE_VIEW_FLAT;
        for (ImageListItem& entry : m_imageList) {
            if (entry.isTitle)
                entry.hidden = hideTitles;
        }
    }
    m_viewMode = mode;
}

int ImageItemList::GetViewCount() const
{
    return m_viewMode == IMAGE_VIEW_FLAT ? m_photoCount : m_imageList.size();
}

ImageListItem* ImageItemList::GetViewItem(int row)
{
    if (row < 0)
        return nullptr;
    if (m_viewMode == IMAGE_VIEW_FLAT) {
        if (row >= m_photoRows.size())
            return nullptr;
        return &m_imageList[m_photoRows.at(row)];
    }
    if (row >= m_imageList.size())
        return nullptr;
    return &m_imageList[row];
}

void ImageItemList::SetAllImageDataChecked(Qt::CheckState state)
{
    for (ImageListItem& entry : m_imageList)
        entry.checkState = state;
    if (state == Qt::Checked)
        SetCheckedCount(unsigned(m_photoCount));
    else if (state == Qt::Unchecked)
        SetCheckedCount(0);
}

void ImageItemList::SetHide(int row, bool hide)
{
    if (row < 0 || row >= m_imageList.size())
        return;
    const QVector<int> members = m_imageList.at(row).memberRows;
    for (int member : members)
        m_imageList[member].hidden = hide;
    m_imageList[row].hidden = hide;
}

void ImageItemList::SetBrotherList(ImageItemList* brother)
{
    m_brother = brother;
}

QString ImageItemList::GetDefaultPhotoPath() const
{
    return m_skinFolder + QStringLiteral("default_picture.png");
}

int ImageItemList::GetPendingThumbnailCount() const
{
    return Thumbnailer().Pending();
}

void ImageItemList::SetThumbnailListener(std::function<void()> listener)
{
    Thumbnailer().SetListener(std::move(listener));
}

bool ImageItemList::MakeEntry(MMobile::IMDCommon* item, int index, ImageListItem& entry)
{
    const MMobile::MDType type = GetType();
    if (IsFileCategory(type)) {
        MMobile::IPhoto* photo = MMobile::record_cast<MMobile::IPhoto>(item);
        if (!photo)
            return false;
        GenerateThumbnails(photo);
        entry = ImageListItem(photo, index);
        return true;
    }
    if (type == MMobile::MD_VOICE_MEMO) {
        MMobile::IVoiceMemo* recording = MMobile::record_cast<MMobile::IVoiceMemo>(item);
        if (!recording)
            return false;
        const QByteArray picture = (m_skinFolder + QStringLiteral("default_voice.png")).toUtf8();
        recording->SetTextProperty(MMobile::VOICE_PROP_THUMBNAIL_PATH, picture.constData());
        entry = ImageListItem(recording, index);
        return true;
    }
    return false;
}

void ImageItemList::AddDatas(MMobile::IMDGetter* getter, QVector<ImageListItem>& entries)
{
    const unsigned int count = getter->GetCount();
    if (!IsFileCategory(GetType()) && GetType() != MMobile::MD_VOICE_MEMO)
        return;
    entries.reserve(entries.size() + int(count));
    for (unsigned int i = 0; i < count; ++i) {
        ImageListItem entry;
        if (MakeEntry(getter->GetItem(i), int(i), entry))
            entries.append(entry);
    }
}

void ImageItemList::AddDatasToImageList(QVector<ImageListItem>& entries)
{
    if (entries.isEmpty())
        return;
    SetCheckedCount(unsigned(entries.size()));
    m_photoCount = entries.size();
    // Stable, so items of equal time keep the order in which they came.
    std::stable_sort(entries.begin(), entries.end(), &ImageItemList::TimeIsNewThan);

    QDate currentDay;
    int currentTitle = -1;
    QVector<int> members;
    for (const ImageListItem& source : qAsConst(entries)) {
        const qint64 ms = qint64(EntryTime(source)) * 1000;
        const QDate day = QDateTime::fromMSecsSinceEpoch(ms, Qt::LocalTime).date();
        if (currentTitle < 0 || day != currentDay) {
            if (!members.isEmpty()) {
                m_imageList[currentTitle].memberRows = members;
                members.clear();
            }
            m_imageList.append(ImageListItem(day.toString(QStringLiteral("dd-MM-yyyy"))));
            currentTitle = m_imageList.size() - 1;
            currentDay = day;
        }
        if (source.photo)
            m_imageList.append(ImageListItem(source.photo, source.dataIndex));
        else if (source.recording)
            m_imageList.append(ImageListItem(source.recording, source.dataIndex));
        else
            continue;
        members.append(m_imageList.size() - 1);
    }
    if (!members.isEmpty())
        m_imageList[currentTitle].memberRows = members;

    m_photoRows.clear();
    for (int pos = 0; pos < m_imageList.size(); ++pos) {
        if (!m_imageList.at(pos).isTitle)
            m_photoRows.append(pos);
    }
}

void ImageItemList::GenerateThumbnails(MMobile::IPhoto* photo)
{
    QString thumbnail;
    switch (photo->GetFileKind()) {
    case MMobile::FILE_KIND_PICTURE: {
        thumbnail = QString::fromUtf8(photo->GetThumbnailPath());
        if (!thumbnail.isEmpty())
            break;
        // The decode and the write leave the GUI thread; the path is set
        // when the result comes back.
        const QString picture = QString::fromUtf8(photo->GetFilePath());
        const QFileInfo info(picture);
        const QByteArray format(photo->GetFormatName());
        const QString target = format.isEmpty()
                                   ? m_thumbnailFolder + info.baseName() + QStringLiteral(".jpg")
                                   : m_thumbnailFolder + info.fileName();
        const QString fallback = m_skinFolder + QStringLiteral("default_picture.png");
        if (picture.isEmpty()) {
            thumbnail = fallback;
            break;
        }
        Thumbnailer().Submit(photo, picture, target, format, fallback);
        return;
    }
    case MMobile::FILE_KIND_AUDIO:
        thumbnail = m_skinFolder + QStringLiteral("default_voice.png");
        break;
    case MMobile::FILE_KIND_VIDEO:
        thumbnail = m_skinFolder + QStringLiteral("default_movie.png");
        break;
    case MMobile::FILE_KIND_CONTACT_CARD:
        thumbnail = m_skinFolder + QStringLiteral("VcfFlag.png");
        break;
    default:
        thumbnail = m_skinFolder + QStringLiteral("question.png");
        break;
    }
    const QByteArray utf8 = thumbnail.toUtf8();
    photo->SetThumbnailPath(utf8.constData());
}

StoreThumbnailer& ImageItemList::Thumbnailer() const
{
    QMutexLocker lock(&ThumbnailerLock());
    std::unique_ptr<StoreThumbnailer>& thumbnailer = Thumbnailers()[this];
    if (!thumbnailer)
        thumbnailer = std::make_unique<StoreThumbnailer>();
    return *thumbnailer;
}

QImage ImageItemList::ReadFittedImage(const QString& path)
{
    return StoreThumbnailer::ReadFittedImage(path);
}

bool ImageItemList::TimeIsNewThan(const ImageListItem& a, const ImageListItem& b)
{
    if (a.photo && b.photo)
        return a.photo->GetTime() > b.photo->GetTime();
    if (a.recording && b.recording)
        return a.recording->GetTime() > b.recording->GetTime();
    return false;
}
