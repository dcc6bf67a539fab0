#ifndef PLAINTEXTFOLDER_H
#define PLAINTEXTFOLDER_H

#include <QString>

// The private folder (mode 0700, in the temporary folder) that holds the
// plaintext of one encrypted backup, and every way it goes: with this object;
// on a signal whose default would end the process (SIGTERM, SIGINT, SIGHUP,
// SIGQUIT), before the process ends; and, when the process died without a
// word (SIGKILL, a crash, a power cut), at the next start of the engine in any
// process of the user, which removes every such folder whose owner no longer
// holds its lock. Owned by the EncryptedBackup of the folder.
class PlaintextFolder
{
public:
    PlaintextFolder();
    ~PlaintextFolder();
    PlaintextFolder(const PlaintextFolder&) = delete;
    PlaintextFolder& operator=(const PlaintextFolder&) = delete;

    bool IsValid() const { return !m_path.isEmpty(); }
    QString Path() const { return m_path; }

    // Removes the private folders in `tempFolder` whose processes are gone;
    // how many. Folders of a version without the lock go once they are an
    // hour old.
    static int RemoveStale(const QString& tempFolder);
    // RemoveStale() of the temporary folder, the first time it is called in
    // the process.
    static void RemoveStaleOnce();

    static const char* const Prefix; // of the folder names

private:
    QString m_path;
    int m_lock = -1; // the descriptor whose lock says the folder is in use
    int m_slot = -1; // in the table the signal handler empties
};

#endif // PLAINTEXTFOLDER_H
