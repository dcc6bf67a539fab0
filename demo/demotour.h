#ifndef DEMOTOUR_H
#define DEMOTOUR_H

#include "contracts/mmobiletypes.h"

#include <QImage>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

class CategoryPanel;
class DemoHostWindow;
class DemoTablePage;

// A scripted walk through the demo host, for machines without a user: opens
// a backup from the host's list of found backups (unless one is open), scans
// every category in the background and shows the overview with the counts,
// then opens every category, saves a screenshot of each page, then
// on one table page searches a keyword, ticks a few of the rows found and
// recovers them to a folder, answering the folder dialog itself; last it
// walks the failure paths (a recovery that cannot write, a damaged and a
// locked backup, on copies) and opens the backup again. Modal
// dialogs are answered by a timer; the desktop's "open folder" request is
// caught instead of starting a file manager. The host is borrowed.
class DemoTour : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        QString screenshotFolder;
        QString recoverFolder;
        // Empty: a word taken from the first row of the search page.
        QString keyword;
        MMobile::MDType searchCategory = MMobile::MD_CONTACT;
        int tickCount = 2;
        int scanTimeoutMs = 300000;
    };

    struct Summary
    {
        QString backupFolder;         // the backup opened
        QMap<int, int> itemCounts;    // category -> items, -1 when the scan failed
        QMap<int, int> deletedCounts; // category -> deleted items
        QMap<int, int> scanStatus;    // category -> end status
        QStringList overviewTexts;    // the overview's text of every category
        QMap<int, int> firstTicks;    // category -> items ticked once its scan ended
        QMap<int, QString> tickNotes; // category -> what its page says of those ticks
        // The messages page with its switch on: conversations shown, and the
        // deleted messages marked in the first one's thread.
        int deletedConversations = -1;
        int deletedMarks = -1;
        // Every page with deleted items, its switch on: category -> items
        // in view, and those of them marked deleted.
        QMap<int, int> deletedShown;
        QMap<int, int> deletedMarked;
        // The search page's recover bar buttons as drawn, by object name.
        QMap<QString, QImage> buttonImages;
        QStringList screenshots;
        QString keyword;
        int rowsBeforeSearch = -1;
        int rowsAfterSearch = -1;
        QStringList tickedRows; // the ticked rows' first column, in table order
        int recoveredFiles = 0;
        QString recoveredFolder; // the folder the page opened after the recovery
        QString recoveryText;    // what the host said was written
        // What the host (and a page) said on the failure paths, one a line.
        QStringList failureNotices;
        QStringList errors;
        bool ok() const { return errors.isEmpty(); }
        QString ToText() const;
    };

    DemoTour(DemoHostWindow* host, const Options& options);
    ~DemoTour() override;

    // Runs the whole tour; returns when it is done or failed.
    Summary Run();

public slots:
    // Installed as the desktop's handler for file URLs while the tour runs.
    void openFolder(const QUrl& url);

private:
    bool OpenFromList();
    bool ScanAllAndShowOverview();
    static int TickedCount(CategoryPanel* page);
    // Switches the messages page to its conversations with deleted
    // messages and shows the first one's thread.
    void ShowDeletedThread(DemoTablePage* page);
    // Switches a page to its deleted items: each must be marked.
    void WalkDeletedMarks(CategoryPanel* page, MMobile::MDType type);
    bool SaveHostShot(const QString& name);
    void GrabButtons(CategoryPanel* page);
    CategoryPanel* OpenAndWait(MMobile::MDType type);
    void SelectFirstItem(CategoryPanel* page);
    bool Screenshot(CategoryPanel* page, int number, MMobile::MDType type);
    void SearchTickRecover(DemoTablePage* page);
    QString PickKeyword(DemoTablePage* page) const;
    void AnswerDialogs();
    // Runs the event loop until `done` or the timeout; false on timeout.
    template <class Predicate> bool WaitFor(Predicate done, int timeoutMs);

    DemoHostWindow* m_host;
    Options m_options;
    Summary m_summary;
    QString m_openedFolder;
    bool m_recovering;
};

#endif // DEMOTOUR_H
