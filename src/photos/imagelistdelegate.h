#ifndef IMAGELISTDELEGATE_H
#define IMAGELISTDELEGATE_H

#include "categorypanel_global.h"

#include <QPixmap>
#include <QStyledItemDelegate>

#include <memory>

class FittedImageCache;

// Draws the rows of the photo grid fed by ImageListItmModel: a day title as a
// full-width bar (tri-state box, collapse triangle, day and photo count, rule)
// and a photo as a 133 x 145 cell (thumbnail, box, text). Left clicks on the
// boxes and on a title's collapse zone become setData calls on the model.
// Everything is read from the model's roles; the stock pixmaps are loaded once
// from the skin folder and owned by the delegate, as is the cache of fitted
// thumbnails that spares a repaint from decoding and scaling every file again.
class CATEGORYPANEL_EXPORT ImageListDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    CATEGORYPANEL_TRUTF8
    // `skinFolder` ends with a path separator.
    ImageListDelegate(QObject* parent, const QString& skinFolder);
    ~ImageListDelegate() override;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

private:
    static QRect ImageCheckBoxRect(const QStyleOptionViewItem& option);
    static QRect TitleCheckBoxRect(const QStyleOptionViewItem& option);
    static QRect TitleHideRect(const QStyleOptionViewItem& option);
    static QSize IndicatorSize();

    void PaintTitle(QPainter* painter, const QStyleOptionViewItem& option,
                    const QModelIndex& index) const;
    void PaintPhoto(QPainter* painter, const QStyleOptionViewItem& option,
                    const QModelIndex& index) const;

    QPixmap m_triangleUp;
    QPixmap m_triangleDown;
    QPixmap m_line;
    QPixmap m_check;
    QPixmap m_partCheck;
    QPixmap m_noCheck;
    std::unique_ptr<FittedImageCache> m_thumbnails;
};

#endif // IMAGELISTDELEGATE_H
