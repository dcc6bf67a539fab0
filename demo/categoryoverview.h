#ifndef CATEGORYOVERVIEW_H
#define CATEGORYOVERVIEW_H

#include "contracts/mmobiletypes.h"

#include <QWidget>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QProgressBar;
class QPushButton;

// The categories of the open backup as a grid of icons, each with its name
// and, once its scan ended, its item count and deleted count; above them
// the backup's heading, the "Scan All" button and the overall progress of a
// background scan. Shows what the host tells it; activating a category asks
// the host to open its page.
class CategoryOverview : public QWidget
{
    Q_OBJECT

public:
    // `skinFolder` holds one folder per category with its icon.
    CategoryOverview(const QString& skinFolder, QWidget* parent = nullptr);

    void SetHeading(const QString& title, const QString& details);
    void SetEnabled(bool enabled);
    // Back to "not scanned" for every category.
    void Reset();
    void SetScanning(MMobile::MDType type, int percent);
    // Back to "not scanned" for one category (its scan was stopped).
    void SetNotScanned(MMobile::MDType type);
    // -1 items: the scan ended without data.
    void SetCounts(MMobile::MDType type, int items, int deleted);
    // Overall progress of a background scan; `total` 0 hides it.
    void SetOverallProgress(int done, int total, int currentPercent);
    QString ItemText(MMobile::MDType type) const;

    // The category's skin folder name, e.g. "call-history".
    static QString SkinKey(MMobile::MDType type);

signals:
    void categoryActivated(int type);
    void scanAllRequested();

private:
    QListWidgetItem* Item(MMobile::MDType type) const;
    void SetSecondLine(MMobile::MDType type, const QString& text);

    QLabel* m_pTitle;
    QLabel* m_pDetails;
    QPushButton* m_pScanAll;
    QProgressBar* m_pOverall;
    QListWidget* m_pList;
};

#endif // CATEGORYOVERVIEW_H
