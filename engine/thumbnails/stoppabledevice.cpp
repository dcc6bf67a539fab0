#include "stoppabledevice.h"

StoppableDevice::StoppableDevice(QIODevice& inner, const std::atomic<bool>& stop)
    : m_inner(inner), m_stop(stop)
{
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

bool StoppableDevice::isSequential() const
{
    return m_inner.isSequential();
}

qint64 StoppableDevice::size() const
{
    return m_inner.size();
}

bool StoppableDevice::seek(qint64 pos)
{
    return QIODevice::seek(pos) && m_inner.seek(pos);
}

qint64 StoppableDevice::readData(char* data, qint64 maxSize)
{
    if (m_stop.load())
        return -1;
    return m_inner.read(data, maxSize);
}

qint64 StoppableDevice::writeData(const char*, qint64)
{
    return -1;
}
