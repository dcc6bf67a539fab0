#ifndef DEVICELINKRECEIVER_H
#define DEVICELINKRECEIVER_H

#include <QString>

#include <plist/plist.h>

#include <atomic>
#include <cstdint>
#include <functional>

class BackupServiceLink;

// The computer's side of the backup service's DeviceLink conversation, after
// the backup was requested: the phone asks for files of the previous backup,
// uploads new ones, creates, lists, moves, copies and removes items, asks for
// the free space, and ends with its final status. Every path the phone names
// is taken relative to `root` and refused when it would lead out of it; every
// length read from the wire is checked before it is used. Borrows the link
// and the cancel flag; blocking, on the capture's thread.
class DeviceLinkReceiver
{
public:
    using ProgressCallback = std::function<void(int percent)>;
    // Free bytes on the disk that holds a folder; replaceable for tests.
    using FreeSpaceProbe = std::function<qint64(const QString& folder)>;

    DeviceLinkReceiver(BackupServiceLink& link, const QString& root,
                       const std::atomic<bool>& cancel);

    void SetProgressCallback(ProgressCallback callback) { m_progress = std::move(callback); }
    void SetFreeSpaceProbe(FreeSpaceProbe probe) { m_freeSpace = std::move(probe); }
    // Whether the phone is still there; asked when a read brings nothing, as
    // the library answers a closed link and a slow phone alike.
    void SetLinkProbe(std::function<bool()> probe) { m_linkAlive = std::move(probe); }

    // Runs until the phone's final status; answers a CaptureCode.
    int Run();

    QString ErrorText() const { return m_error; }
    // The final status's error code (0: the phone finished the backup).
    int PhoneErrorCode() const { return m_phoneError; }
    qint64 BytesReceived() const { return m_bytes; }
    int FilesReceived() const { return m_files; }

    static qint64 FreeSpace(const QString& folder);
    // `phonePath` (relative, '/'-separated) inside `root`, or empty when it
    // is not a plain relative path that stays inside.
    static QString ResolvePath(const QString& root, const QString& phonePath);

private:
    enum Step { STEP_GO_ON, STEP_DONE, STEP_FAILED };

    Step Dispatch(const QString& name, plist_t message);
    Step ReceiveFiles(plist_t message);
    Step SendFiles(plist_t message);
    Step ListDirectory(plist_t message);
    Step CreateDirectory(plist_t message);
    Step MoveItems(plist_t message);
    Step RemoveItems(plist_t message);
    Step CopyItem(plist_t message);
    Step AnswerFreeSpace();
    Step Finish(plist_t message);

    // Reads exactly `length` bytes; false on a failed link or a stop.
    bool ReadExact(char* data, uint32_t length);
    bool ReadLength(uint32_t& value);
    bool WriteAll(const char* data, uint32_t length);
    bool SendStatus(int code, const char* text, plist_t status);
    // `phonePath` inside the root, or empty when it would lead out of it.
    QString LocalPath(const QString& phonePath) const;
    void TakeProgress(plist_t message, uint32_t index);
    void Report(int percent);
    Step Fail(int code, const QString& reason);

    BackupServiceLink& m_link;
    QString m_root;
    const std::atomic<bool>& m_cancel;
    ProgressCallback m_progress;
    FreeSpaceProbe m_freeSpace;
    std::function<bool()> m_linkAlive;
    QString m_error;
    int m_code = 0;
    int m_phoneError = -1;
    qint64 m_bytes = 0;
    int m_files = 0;
    int m_percent = 0;
    double m_phonePercent = 0;
};

#endif // DEVICELINKRECEIVER_H
