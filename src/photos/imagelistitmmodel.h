#ifndef IMAGELISTITMMODEL_H
#define IMAGELISTITMMODEL_H

#include "categorypanel_global.h"
#include "store/imageitemlist.h"

#include <QAbstractListModel>

// List model of the photo grid: one row per grid row of an ImageItemList (day
// titles and photos, or photos only, by the store's view mode). Hands the
// delegate what it draws through the roles below and turns its clicks into
// ticks and collapses on the store. The store is borrowed, never owned.
//
// Roles: Qt::DisplayRole text, Qt::DecorationRole thumbnail path,
// Qt::CheckStateRole tick (int), and the user roles below. Every row, titles
// included, is selectable, user-checkable and enabled.
class CATEGORYPANEL_EXPORT ImageListItmModel : public QAbstractListModel
{
    Q_OBJECT
public:
    CATEGORYPANEL_TRUTF8
    // Qt::UserRole and the three after it: 256 to 259 with Qt 5 (Qt 4 had
    // 32 to 35). Plug-ins use the names, which stay the same.
    enum Roles {
        TitleRole = Qt::UserRole,           // bool: the row is a day title
        HiddenRole = Qt::UserRole + 1,      // bool: collapsed (by-date layout only)
        MemberCountRole = Qt::UserRole + 2, // int: photos of a title's day
        DefaultPhotoRole = Qt::UserRole + 3 // QString: the store's default photo
    };

    explicit ImageListItmModel(QObject* parent = nullptr);
    ~ImageListItmModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Binds the store (null unbinds it) and resets the model.
    void SetDatas(ImageItemList* store);
    void CheckAll(Qt::CheckState state);
    void ChangeViewMode(ImageViewMode mode);

signals:
    // A tick changed through setData.
    void itemCheckedChanged();

private:
    ImageItemList* m_store;
};

#endif // IMAGELISTITMMODEL_H
