#include "backupchecker.h"

BackupChecker::BackupChecker(QObject* parent) : QObject(parent), m_call(this) {}

BackupChecker::~BackupChecker() = default;

void BackupChecker::Check(const QString& folder)
{
    if (IsRunning()) {
        m_next = folder;
        return;
    }
    const QString own = BackgroundCall::OwnCopy(folder);
    m_call.Run<BackupSummary>([own] { return BackupSummary::Read(own); },
                              [this](const BackupSummary& summary) { OnFinished(summary); });
}

bool BackupChecker::IsRunning() const
{
    return m_call.IsRunning();
}

void BackupChecker::OnFinished(const BackupSummary& summary)
{
    if (!m_next.isEmpty()) {
        const QString next = m_next;
        m_next.clear();
        Check(next);
        return;
    }
    emit checked(summary);
}
