#ifndef CATEGORYEXPORTER_H
#define CATEGORYEXPORTER_H

#include "contracts/mmobiletypes.h"
#include "exportfolder.h"

#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <vector>

class EncryptedBackup;
class EngineItem;
class EngineTask;

// Writes the items of one category into an output folder, in the formats the
// desktop opens: vCards and a CSV for contacts, an HTML page and a CSV per
// conversation with its attachments beside them, CSV for calls, bookmarks
// and notes (notes also as text files), iCalendar for events and reminders,
// and plain copies for photos, attachments and voice memos. Runs on the
// export task's thread; the items are borrowed from the scan's getter. The
// files of photos, attachments and voice memos are copied (or, from an
// encrypted backup, decrypted) on every core.
class CategoryExporter
{
public:
    CategoryExporter(MMobile::MDType type, const QString& folder, std::vector<EngineItem*> items,
                     EncryptedBackup* encryption = nullptr);

    // Reports progress through `task` and answers the end status: 3 done, 4 a
    // file could not be written, 5 stopped.
    TASK_CTRL_STATUS Run(EngineTask& task);
    // Told the end status just before it is reported, when ErrorText() and
    // CompleteFiles() are final.
    void SetBeforeEnd(std::function<void(TASK_CTRL_STATUS)> beforeEnd)
    {
        m_beforeEnd = std::move(beforeEnd);
    }
    QString ErrorText() const { return m_folder.ErrorText(); }
    // The files written whole before the end, whatever the end.
    const QStringList& CompleteFiles() const { return m_folder.CompleteFiles(); }

private:
    bool Progress(EngineTask& task, int done);
    // For the middle of a long copy: the last percentage again when nothing
    // was reported for a few ms, so that a stop is answered at once.
    bool KeepAlive(EngineTask& task);
    // After item `done` of a loop: Progress() when the percentage moved, else KeepAlive().
    bool Step(EngineTask& task, int done);
    bool WriteContacts(EngineTask& task);
    bool WriteConversations(EngineTask& task);
    bool WriteWeChatContacts(EngineTask& task);
    bool WriteCalls(EngineTask& task);
    bool WriteCalendar(EngineTask& task, bool reminders);
    bool WriteNotes(EngineTask& task);
    bool WriteBookmarks(EngineTask& task);
    bool CopyFiles(EngineTask& task);

    MMobile::MDType m_type;
    ExportFolder m_folder;
    std::vector<EngineItem*> m_items;
    bool m_stopped = false;
    int m_lastPercent = 0;
    QElapsedTimer m_sinceReport;
    std::function<void(TASK_CTRL_STATUS)> m_beforeEnd;
};

#endif // CATEGORYEXPORTER_H
