#include "photos/imagelistdelegate.h"

#include "photos/fittedimagecache.h"
#include "photos/imagelistitmmodel.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextOption>

namespace {

const QSize kTitleSize(930, 32);
const QSize kCellSize(133, 145);
const int kBoxWidth = 113;
const int kBoxHeight = 96;
const int kTickImage = 13;
const int kTriangleImage = 14;
const QSize kLabelSize(100, 14);
const QSize kRuleSize(730, 2);
const int kShortText = 14;

} // namespace

ImageListDelegate::ImageListDelegate(QObject* parent, const QString& skinFolder)
    : QStyledItemDelegate(parent), m_triangleUp(skinFolder + QStringLiteral("triangle_up.png")),
      m_triangleDown(skinFolder + QStringLiteral("triangle_down.png")),
      m_line(skinFolder + QStringLiteral("line.png")),
      m_check(skinFolder + QStringLiteral("check.png")),
      m_partCheck(skinFolder + QStringLiteral("bcheck.png")),
      m_noCheck(skinFolder + QStringLiteral("nocheck.png")),
      m_thumbnails(std::make_unique<FittedImageCache>(QSize(kBoxWidth, kBoxHeight)))
{
}

ImageListDelegate::~ImageListDelegate() = default;

QSize ImageListDelegate::IndicatorSize()
{
    QStyleOptionButton button;
    return QApplication::style()
        ->subElementRect(QStyle::SE_CheckBoxIndicator, &button, nullptr)
        .size();
}

QRect ImageListDelegate::ImageCheckBoxRect(const QStyleOptionViewItem& option)
{
    return QRect(QPoint(option.rect.x() + 8, option.rect.y() + kBoxHeight + 24), IndicatorSize());
}

QRect ImageListDelegate::TitleCheckBoxRect(const QStyleOptionViewItem& option)
{
    return QRect(QPoint(option.rect.x() + 16, option.rect.y() + 18), IndicatorSize());
}

QRect ImageListDelegate::TitleHideRect(const QStyleOptionViewItem& option)
{
    return QRect(option.rect.x() + 16, option.rect.y() + 18, kTriangleImage + kLabelSize.width(),
                 kTriangleImage);
}

QSize ImageListDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const
{
    if (index.data(ImageListItmModel::TitleRole).toBool())
        return kTitleSize;
    if (index.data(ImageListItmModel::HiddenRole).toBool())
        return QSize(0, 0);
    return kCellSize;
}

void ImageListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const
{
    if (!painter)
        return;
    if (index.data(ImageListItmModel::TitleRole).toBool())
        PaintTitle(painter, option, index);
    else
        PaintPhoto(painter, option, index);
}

void ImageListDelegate::PaintTitle(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const
{
    const int state = index.data(Qt::CheckStateRole).toInt();
    const QRect box = TitleCheckBoxRect(option);
    const QPixmap& tick = state == 0 ? m_noCheck : (state == 1 ? m_partCheck : m_check);
    painter->drawPixmap(QRect(box.topLeft(), QSize(kTickImage, kTickImage)), tick);

    const bool collapsed = index.data(ImageListItmModel::HiddenRole).toBool();
    const QRect triangle(box.right() + 8, box.top(), kTriangleImage, kTriangleImage);
    painter->drawPixmap(triangle, collapsed ? m_triangleUp : m_triangleDown);

    const QString label = index.data(Qt::DisplayRole).toString() + QStringLiteral("   (") +
                          QString::number(index.data(ImageListItmModel::MemberCountRole).toInt()) +
                          QStringLiteral(")");
    const QRect labelRect(QPoint(triangle.right() + 8, triangle.top()), kLabelSize);
    const QFont saved = painter->font();
    QFont font = saved;
    font.setPixelSize(12);
    painter->setFont(font);
    painter->drawText(labelRect, label, QTextOption());
    painter->setFont(saved);

    const QRect rule(QPoint(labelRect.right() + 8, labelRect.top() + 6), kRuleSize);
    painter->drawPixmap(rule, m_line);
}

void ImageListDelegate::PaintPhoto(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const
{
    if (index.data(ImageListItmModel::HiddenRole).toBool())
        return;

    const QString path = index.data(Qt::DecorationRole).toString();
    QImage image = m_thumbnails->fitted(path);
    if (image.isNull())
        image = m_thumbnails->fitted(index.data(ImageListItmModel::DefaultPhotoRole).toString(),
                                     /*jpegFallback=*/false);

    const int x = option.rect.x();
    const int y = option.rect.y();
    if (!image.isNull()) {
        const float ratio = float(image.width()) / float(image.height());
        const float boxRatio = float(kBoxWidth) / float(kBoxHeight);
        int slackX = 0;
        int slackY = 0;
        if (boxRatio < ratio)
            slackY = kBoxHeight - int(float(kBoxWidth) / ratio);
        else
            slackX = kBoxWidth - int(ratio * float(kBoxHeight));
        painter->drawImage(QPoint(x + (slackX + 8) / 2, y + (slackY + 18) / 2), image);
    }

    const QRect box = ImageCheckBoxRect(option);
    const bool ticked = index.data(Qt::CheckStateRole).toBool();
    painter->drawPixmap(QRect(box.topLeft(), QSize(kTickImage, kTickImage)),
                        ticked ? m_check : m_noCheck);

    const QString text = index.data(Qt::DisplayRole).toString();
    const QRect textRect = text.size() > kShortText ? QRect(box.right() + 8, box.top() - 6, 100, 30)
                                                    : QRect(box.right() + 8, box.top(), 90, 25);
    painter->drawText(textRect, text, QTextOption());
}

bool ImageListDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                    const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (!event || !model ||
        (event->type() != QEvent::MouseButtonRelease &&
         event->type() != QEvent::MouseButtonDblClick))
        return false;
    const QMouseEvent* mouse = static_cast<const QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    const QPoint p = mouse->pos();

    if (index.data(ImageListItmModel::TitleRole).toBool()) {
        // The tick box overlaps the collapse zone and wins there.
        if (TitleCheckBoxRect(option).contains(p))
            return model->setData(index, !index.data(Qt::CheckStateRole).toBool(),
                                  Qt::CheckStateRole);
        if (TitleHideRect(option).contains(p))
            model->setData(index, !index.data(ImageListItmModel::HiddenRole).toBool(),
                           ImageListItmModel::HiddenRole);
        return false;
    }
    if (ImageCheckBoxRect(option).contains(p))
        return model->setData(index, !index.data(Qt::CheckStateRole).toBool(), Qt::CheckStateRole);
    return false;
}
