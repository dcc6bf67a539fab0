#include "fakehost.h"

#include <QTest>
#include <QWidget>

FakeHost::FakeHost() : m_guiThread(std::this_thread::get_id()) {}

QWidget* FakeHost::GetParentWidget()
{
    return m_parent.data();
}

const char* FakeHost::GetOutputDir()
{
    return m_outputDir.constData();
}

void FakeHost::SetOutputDir(const char* dir)
{
    record(QStringLiteral("SetOutputDir(%1)").arg(QString::fromUtf8(dir)));
    m_outputDir = QByteArray(dir);
}

const char* FakeHost::GetSkinDir(int type)
{
    auto it = m_skinDirs.find(type);
    return it == m_skinDirs.end() ? "" : it->second.constData();
}

DeviceEntry* FakeHost::GetDeviceList(unsigned int* count)
{
    if (count)
        *count = static_cast<unsigned int>(m_devices.size());
    return m_devices.empty() ? nullptr : m_devices.data();
}

void FakeHost::OnPluginClose(MMobile::MDType type)
{
    record(QStringLiteral("OnPluginClose(%1)").arg(type));
}

void FakeHost::OnOperationFailed(MMobile::MDType type)
{
    record(QStringLiteral("OnOperationFailed(%1)").arg(type));
}

void FakeHost::OnRecoverResult(int mode, MMobile::MDType type, int ok)
{
    record(QStringLiteral("OnRecoverResult(%1,%2,%3)").arg(mode).arg(type).arg(ok));
    m_recoverResults.append({mode, type, ok});
}

bool FakeHost::IsStopRequested()
{
    record(QStringLiteral("IsStopRequested()"));
    return m_stopRequested;
}

void FakeHost::OnScanStatus(int status)
{
    record(QStringLiteral("OnScanStatus(%1)").arg(status));
}

void FakeHost::OnScanPercent(int percent)
{
    record(QStringLiteral("OnScanPercent(%1)").arg(percent));
}

void FakeHost::OnScanAborted()
{
    record(QStringLiteral("OnScanAborted()"));
}

void FakeHost::setParentWidget(QWidget* parent)
{
    m_parent = parent;
}

void FakeHost::setOutputDir(const QString& dir)
{
    m_outputDir = dir.toUtf8();
}

void FakeHost::setSkinDir(int type, const QString& dir)
{
    m_skinDirs[type] = dir.toUtf8();
}

void FakeHost::setDevices(const QVector<MMobile::IDevice*>& devices)
{
    m_devices.clear();
    for (MMobile::IDevice* device : devices)
        m_devices.push_back(DeviceEntry{device, 0, {0, 0}});
}

QStringList FakeHost::events(const QString& prefix, bool offGuiThreadOnly) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QStringList result;
    for (const Event& event : m_events) {
        if (event.text.startsWith(prefix) && (event.offGuiThread || !offGuiThreadOnly))
            result.append(event.text);
    }
    return result;
}

bool FakeHost::waitForEvent(const QString& prefix, int timeoutMs)
{
    return QTest::qWaitFor([&] { return hasEvent(prefix); }, timeoutMs);
}

void FakeHost::record(const QString& text)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.push_back({text, std::this_thread::get_id() != m_guiThread});
}
