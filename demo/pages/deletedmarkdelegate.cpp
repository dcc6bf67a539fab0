#include "deletedmarkdelegate.h"

#include <QAbstractItemView>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace {
// The colour the tables give deleted rows.
const QColor kOrange(243, 161, 89);
// The grid writes a name of up to 14 characters into a box 90 pixels wide,
// a longer one into 100 pixels.
const int kShortName = 14;
const int kShortBox = 90;
const int kLongBox = 100;
const int kSmallestPixels = 8;
} // namespace

DeletedMarkDelegate::DeletedMarkDelegate(QObject* parent, const QString& skinFolder,
                                         RowTest isDeleted)
    : ImageListDelegate(parent, skinFolder), m_isDeleted(std::move(isDeleted))
{
}

void DeletedMarkDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const
{
    // The whole name in a smaller font rather than "IMG_1098.HEI".
    painter->save();
    painter->setFont(NameFont(painter->font(), index.data(Qt::DisplayRole).toString()));
    ImageListDelegate::paint(painter, option, index);
    painter->restore();
    if (!m_isDeleted || !m_isDeleted(index.row()))
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRect cell = option.rect.adjusted(3, 3, -3, -3);
    painter->setPen(QPen(kOrange, 3));
    painter->setBrush(Qt::NoBrush);
    painter->drawRoundedRect(cell, 4, 4);
    // The badge in the top right corner, inside the frame.
    QFont font = painter->font();
    font.setPixelSize(10);
    font.setBold(true);
    painter->setFont(font);
    const QString text = tr("Deleted");
    const int width = painter->fontMetrics().horizontalAdvance(text) + 10;
    const QRect badge(cell.right() - width - 2, cell.top() + 3, width, 16);
    painter->setPen(Qt::NoPen);
    painter->setBrush(kOrange);
    painter->drawRoundedRect(badge, 3, 3);
    painter->setPen(Qt::white);
    painter->drawText(badge, Qt::AlignCenter, text);
    painter->restore();
}

bool DeletedMarkDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                    const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (event && event->type() == QEvent::ToolTip && index.isValid() && m_isDeleted &&
        m_isDeleted(index.row())) {
        QToolTip::showText(event->globalPos(),
                           ToolTip(index.data(Qt::DisplayRole).toString(), true), view);
        return true;
    }
    return ImageListDelegate::helpEvent(event, view, option, index);
}

QFont DeletedMarkDelegate::NameFont(const QFont& base, const QString& name)
{
    const int box = name.size() > kShortName ? kLongBox : kShortBox;
    QFont font = base;
    int pixels = base.pixelSize() > 0 ? base.pixelSize() : QFontInfo(base).pixelSize();
    font.setPixelSize(pixels);
    while (pixels > kSmallestPixels && QFontMetrics(font).horizontalAdvance(name) > box)
        font.setPixelSize(--pixels);
    return font;
}

QString DeletedMarkDelegate::ToolTip(const QString& name, bool deleted)
{
    if (!deleted)
        return name;
    return name.isEmpty() ? tr("Deleted on the phone; recoverable from this backup")
                          : tr("%1\nDeleted on the phone; recoverable from this backup").arg(name);
}
