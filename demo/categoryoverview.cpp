#include "categoryoverview.h"

#include "pages/demopagefactory.h"

#include <QDir>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const int kTypeRole = Qt::UserRole;

QString ItemsText(int items)
{
    return items == 1 ? CategoryOverview::tr("1 item")
                      : CategoryOverview::tr("%1 items").arg(items);
}
} // namespace

CategoryOverview::CategoryOverview(const QString& skinFolder, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("categoryOverview"));
    m_pTitle = new QLabel(this);
    m_pTitle->setObjectName(QStringLiteral("backupLabel"));
    QFont big = m_pTitle->font();
    big.setPixelSize(16);
    big.setBold(true);
    m_pTitle->setFont(big);
    m_pDetails = new QLabel(this);
    m_pDetails->setObjectName(QStringLiteral("backupDetails"));
    m_pDetails->setWordWrap(true);
    m_pScanAll = new QPushButton(tr("Scan All"), this);
    m_pScanAll->setObjectName(QStringLiteral("btnScanAll"));
    m_pScanAll->setToolTip(tr("Scan every category in the background"));
    m_pOverall = new QProgressBar(this);
    m_pOverall->setObjectName(QStringLiteral("overallProgress"));
    m_pOverall->setFormat(tr("%p% of all categories"));
    m_pOverall->hide();

    m_pList = new QListWidget(this);
    m_pList->setObjectName(QStringLiteral("categoryList"));
    m_pList->setViewMode(QListView::IconMode);
    m_pList->setIconSize(QSize(48, 48));
    m_pList->setGridSize(QSize(158, 124));
    m_pList->setTextElideMode(Qt::ElideNone);
    m_pList->setStyleSheet(QStringLiteral("QListWidget#categoryList { padding: 10px; }"));
    m_pList->setResizeMode(QListView::Adjust);
    m_pList->setMovement(QListView::Static);
    m_pList->setWordWrap(true);
    for (MMobile::MDType type : DemoPageFactory::Categories()) {
        auto* item = new QListWidgetItem(m_pList);
        item->setData(kTypeRole, int(type));
        const QString key = SkinKey(type);
        item->setIcon(
            QIcon(QDir(skinFolder).filePath(QStringLiteral("%1/category-%1.png").arg(key))));
        item->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
    }
    Reset();
    connect(m_pList, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        emit categoryActivated(item->data(kTypeRole).toInt());
    });
    connect(m_pScanAll, &QPushButton::clicked, this, &CategoryOverview::scanAllRequested);

    auto* top = new QHBoxLayout;
    auto* heading = new QVBoxLayout;
    heading->addWidget(m_pTitle);
    heading->addWidget(m_pDetails);
    top->addLayout(heading, 1);
    top->addWidget(m_pScanAll, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_pOverall);
    layout->addWidget(m_pList, 1);
}

QString CategoryOverview::SkinKey(MMobile::MDType type)
{
    return DemoPageFactory::DisplayName(type).toLower().replace(QLatin1Char(' '), QLatin1Char('-'));
}

void CategoryOverview::SetHeading(const QString& title, const QString& details)
{
    m_pTitle->setText(title);
    m_pDetails->setText(details);
}

void CategoryOverview::SetEnabled(bool enabled)
{
    m_pList->setEnabled(enabled);
    m_pScanAll->setEnabled(enabled);
}

void CategoryOverview::Reset()
{
    for (MMobile::MDType type : DemoPageFactory::Categories())
        SetSecondLine(type, tr("not scanned"));
    SetOverallProgress(0, 0, 0);
}

void CategoryOverview::SetNotScanned(MMobile::MDType type)
{
    SetSecondLine(type, tr("not scanned"));
}

void CategoryOverview::SetScanning(MMobile::MDType type, int percent)
{
    SetSecondLine(type, tr("scanning ... %1%").arg(percent));
}

void CategoryOverview::SetCounts(MMobile::MDType type, int items, int deleted)
{
    if (items < 0)
        SetSecondLine(type, tr("could not be read"));
    else if (deleted > 0)
        SetSecondLine(type, ItemsText(items) + QLatin1Char('\n') + tr("%1 deleted").arg(deleted));
    else
        SetSecondLine(type, ItemsText(items));
}

void CategoryOverview::SetOverallProgress(int done, int total, int currentPercent)
{
    m_pOverall->setVisible(total > 0);
    m_pScanAll->setEnabled(total == 0 || done >= total);
    if (total <= 0)
        return;
    m_pOverall->setRange(0, total * 100);
    m_pOverall->setValue(qMin(total * 100, done * 100 + currentPercent));
}

QString CategoryOverview::ItemText(MMobile::MDType type) const
{
    QListWidgetItem* item = Item(type);
    return item ? item->text() : QString();
}

QListWidgetItem* CategoryOverview::Item(MMobile::MDType type) const
{
    for (int row = 0; row < m_pList->count(); ++row) {
        if (m_pList->item(row)->data(kTypeRole).toInt() == int(type))
            return m_pList->item(row);
    }
    return nullptr;
}

void CategoryOverview::SetSecondLine(MMobile::MDType type, const QString& text)
{
    QListWidgetItem* item = Item(type);
    if (!item)
        return;
    // Always three lines: an item whose text grows or shrinks leaves pieces
    // of its old text painted beside the new one.
    QString lines = DemoPageFactory::Title(type) + QLatin1Char('\n') + text;
    if (lines.count(QLatin1Char('\n')) < 2)
        lines += QLatin1Char('\n');
    item->setText(lines);
    m_pList->viewport()->update();
}
