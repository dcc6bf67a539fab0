#ifndef GRIDFILTER_H
#define GRIDFILTER_H

#include <QObject>
#include <QString>
#include <QVector>

class ImageItemList;
class QListView;

namespace MMobile {
class IMDGetter;
}

// The search and the only-deleted switch of a photo grid: hides the grid
// rows whose file does not match (file name, or the day as "yyyy-MM-dd" or
// "dd-MM-yyyy") or is not deleted, and the day titles left with no file;
// and knows which rows are deleted, for the delegate's marks. The library's
// store keeps no deleted mark: it is read from the engine's items by their
// position. The view, store and getter are borrowed; the filter is applied
// again whenever the model is reset or laid out anew.
class GridFilter : public QObject
{
    Q_OBJECT

public:
    explicit GridFilter(QListView* view);

    // The grid's store and the getter its items came from (null: none).
    void SetStore(ImageItemList* store, MMobile::IMDGetter* getter);
    void SetKeyword(const QString& keyword);
    void SetOnlyDeleted(bool onlyDeleted);
    bool IsActive() const { return m_onlyDeleted || !m_keyword.isEmpty(); }

    bool IsDeletedRow(int row) const;
    // Files in view, titles not counted.
    int VisibleFiles() const { return m_visibleFiles; }
    int DeletedFiles() const;

    void Apply();

signals:
    void applied(int visibleFiles);

private:
    bool Matches(int row) const;

    QListView* m_view;
    ImageItemList* m_store = nullptr;
    QVector<bool> m_deleted; // by the items' position in the getter
    QString m_keyword;
    bool m_onlyDeleted = false;
    int m_visibleFiles = 0;
};

#endif // GRIDFILTER_H
