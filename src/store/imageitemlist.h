#ifndef IMAGEITEMLIST_H
#define IMAGEITEMLIST_H

#include "store/imagelistitem.h"
#include "store/taskitem.h"

#include <QString>
#include <QVector>

#include <functional>
#include <vector>

class QImage;
class StoreThumbnailer;

namespace MMobile {
class IMDCommon;
class IMDGetter;
class IPhoto;
} // namespace MMobile

// Row layout of the photo grid.
enum ImageViewMode : qint32 {
    IMAGE_VIEW_FLAT = 0,    // photo entries only
    IMAGE_VIEW_BY_DATE = 1, // each day's title followed by its photo entries
};

// Store of the photo-like categories (photos, the attachment categories, voice
// memos): the items as grid entries grouped under one title per local calendar
// day, newest day first, with the thumbnail of each picture written into
// <work folder>/iThmb/ while the items come in. The page owns the store; the
// engine's items are borrowed. The base's item lists stay empty: every tick
// lives in the entries, and the base's checked count counts ticked photos.
//
// A picture the engine gave no thumbnail is decoded on a worker thread (the
// store's StoreThumbnailer); its photo gets the thumbnail path when the result
// comes back through the event loop, and the grid shows the default photo
// until then. Emptying the store drops the results still on their way.
//
// A brother store (not owned) adds its selection to this one's when the
// selection for recovery is gathered.
class CATEGORYPANEL_EXPORT ImageItemList : public TaskItem
{
public:
    // Both folders end with a path separator.
    ImageItemList(MMobile::MDType type, const QString& workFolder, const QString& skinFolder);
    ImageItemList(const ImageItemList& other);
    ImageItemList& operator=(const ImageItemList& other);
    ~ImageItemList() override;

    // With a getter: replaces the content. With null: groups the entries that
    // AddData gathered during a scan.
    void SetDatas(MMobile::IMDGetter* getter) override;
    // Makes one pending entry for `item`, shown after the next SetDatas(nullptr).
    void AddData(MMobile::IMDCommon* item, int index) override;
    // The photo count, whatever the argument.
    unsigned int GetDataCount(bool onlyDeleted) const override;
    // Items live in the entries, not in the base list: always null.
    MMobile::IMDCommon* GetData(unsigned int index) const override;
    void ClearData() override;
    using TaskItem::GetCheckedDataIndexs;
    // Appends the data indexes of the ticked photos (all when `all`) of this
    // store and then of the brother, sets their drop marks and returns the
    // vector's length.
    unsigned int GetCheckedDataIndexs(std::vector<unsigned int>& indexs, bool all) override;
    // The tick of entry `index` of the entry list, titles included.
    Qt::CheckState GetCheckState(unsigned int index) const override;
    // `row` is a grid row; keeps the day title's summary in step in the by-date
    // layout and returns the state of the whole store.
    Qt::CheckState SetChecked(unsigned int row, Qt::CheckState state) override;
    // Marks unticked photos as left out of the next recovery.
    virtual void SetCommonDataDrop();

    ImageViewMode GetViewMode() const;
    void ChangeViewMode(ImageViewMode mode);
    int GetViewCount() const;
    // The entry shown in grid row `row`, or null when there is no such row.
    ImageListItem* GetViewItem(int row);
    void SetAllImageDataChecked(Qt::CheckState state);
    // Collapses (or expands) the day of title `row` (an entry-list position).
    void SetHide(int row, bool hide);
    void SetBrotherList(ImageItemList* brother);
    QString GetDefaultPhotoPath() const;
    // Thumbnails being made off the GUI thread and not yet handed back.
    int GetPendingThumbnailCount() const;
    // Called on the GUI thread whenever thumbnails have been handed back (the
    // grid's model repaints); an empty function unsets it.
    void SetThumbnailListener(std::function<void()> listener);

private:
    void AddDatas(MMobile::IMDGetter* getter, QVector<ImageListItem>& entries);
    void AddDatasToImageList(QVector<ImageListItem>& entries);
    void GenerateThumbnails(MMobile::IPhoto* photo);
    static bool TimeIsNewThan(const ImageListItem& a, const ImageListItem& b);

    // The pending entry of one item, or false when the category has none.
    bool MakeEntry(MMobile::IMDCommon* item, int index, ImageListItem& entry);
    void GatherSelection(std::vector<unsigned int>& indexs, bool all);
    static QImage ReadFittedImage(const QString& path);
    // This store's thumbnailer, made on first use; see the source for why it
    // is no member.
    StoreThumbnailer& Thumbnailer() const;

    QVector<ImageListItem> m_imageList;
    // Entry-list positions of the photo entries: the rows of the flat layout.
    QVector<int> m_photoRows;
    QString m_thumbnailFolder;
    QString m_skinFolder;
    int m_photoCount;
    ImageViewMode m_viewMode;
    QVector<ImageListItem> m_pending;
    ImageItemList* m_brother;
};

#endif // IMAGEITEMLIST_H
