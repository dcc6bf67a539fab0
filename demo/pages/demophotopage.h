#ifndef DEMOPHOTOPAGE_H
#define DEMOPHOTOPAGE_H

#include "plugin/categorypanel.h"

#include <QString>

class DeletedMarkDelegate;
class FirstTickRule;
class GridFilter;
class ImageItemList;
class ImageListItmModel;
class SearchBar;
class WeChatAccountChooser;
class QCheckBox;
class QLabel;
class QListView;
class QModelIndex;
class QPushButton;

namespace MMobile {
class IMDGetter;
}

// A page for the file categories (photos, attachments, voice memos): the
// thumbnails in a grid grouped by day (or flat), deleted files marked, a
// search bar whose keyword and only-deleted switch filter the grid, a
// check-all box, a button that switches the layout, and the selected file
// in a preview pane. The
// store is an ImageItemList writing its thumbnails below `workFolder`; the
// model, delegate and views are children of the page, the store the base's.
class DemoPhotoPage : public CategoryPanel
{
    Q_OBJECT

public:
    // `workFolder` ends with a path separator.
    DemoPhotoPage(IUIPluginSetting* setting, MMobile::MDType type, const QString& workFolder);
    ~DemoPhotoPage() override;

    ImageItemList* imageStore() const;
    // The items of the last scan that report themselves deleted (the store
    // keeps photos and recordings without their deleted mark).
    int deletedCount() const;
    ImageListItmModel* gridModel() const;
    QListView* gridView() const;
    QLabel* previewPane() const;
    QCheckBox* checkAllBox() const;
    SearchBar* searchBar() const;
    GridFilter* filter() const { return m_pFilter; }
    TASK_CTRL_STATUS scanStatus() const;
    void SetViewMode(int mode);
    // The account chooser of the WeChat attachments page (idle on the others).
    WeChatAccountChooser* accountChooser() const;

protected:
    int GetExportOption() override;
    int GetExportWeChatIndex() override;
    void NewTaskItem() override;
    void slotAfterScan() override;

protected slots:
    // Shows the steps of a recovery to a phone in the progress dialog.
    void slotExportDataResult(TASK_CTRL_STATUS state, int percent, const char* lable) override;

protected:
private:
    void ShowAccount(MMobile::IMDGetter* getter);
    void UpdateSelection();
    // Ticks the deleted files of the grid just filled, and says so.
    void ApplyFirstTicks();
    void OnCheckAllClicked();
    void ToggleLayout();
    void ShowPreview(const QModelIndex& index);

    QString m_workFolder;
    QString m_pictureFolder;
    ImageItemList* m_pImages;
    SearchBar* m_pSearchBar;
    QCheckBox* m_pCheckAll;
    QPushButton* m_pLayoutButton;
    QListView* m_pGrid;
    ImageListItmModel* m_pModel;
    DeletedMarkDelegate* m_pDelegate;
    GridFilter* m_pFilter;
    QLabel* m_pPreview;
    WeChatAccountChooser* m_pAccounts;
    FirstTickRule* m_pFirstTicks;
};

#endif // DEMOPHOTOPAGE_H
