#include "exportfolder.h"

#include "crypto/encryptedbackup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

ExportFolder::ExportFolder(const QString& path, EncryptedBackup* encryption)
    : m_path(path), m_encryption(encryption)
{
}

bool ExportFolder::Prepare()
{
    if (m_path.isEmpty()) {
        m_error = QStringLiteral("no output folder");
        return false;
    }
    if (!QDir().mkpath(m_path)) {
        m_error = QStringLiteral("cannot create %1").arg(m_path);
        return false;
    }
    return true;
}

QString ExportFolder::CleanName(const QString& name)
{
    QString clean;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || QStringLiteral("<>:\"/\\|?*").contains(c))
            clean.append(QLatin1Char('_'));
        else
            clean.append(c);
    }
    clean = clean.trimmed();
    while (clean.endsWith(QLatin1Char('.')))
        clean.chop(1);
    if (clean.isEmpty())
        clean = QStringLiteral("unnamed");
    return clean.left(120);
}

QString ExportFolder::FreeName(const QString& name)
{
    const QString clean = CleanName(name);
    const QFileInfo info(clean);
    const QString base = info.completeBaseName().isEmpty() ? clean : info.completeBaseName();
    const QString suffix = info.completeBaseName().isEmpty() || info.suffix().isEmpty()
                               ? QString()
                               : QLatin1Char('.') + info.suffix();
    const QDir dir(m_path);
    QString candidate = clean;
    for (int n = 1;; ++n) {
        // Case-insensitive, as the file systems of the desktop are.
        if (!m_taken.contains(candidate.toLower()) && !QFileInfo::exists(dir.filePath(candidate)))
            break;
        candidate = QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(suffix);
    }
    m_taken.insert(candidate.toLower());
    return dir.filePath(candidate);
}

QString ExportFolder::WriteFile(const QString& name, const QByteArray& data)
{
    const QString path = FreeName(name);
    QFile file(path);
    // NewOnly: a file that appeared since the name was chosen is not touched.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        m_error = QStringLiteral("cannot create %1: %2").arg(path, file.errorString());
        return QString();
    }
    if (file.write(data) != data.size() || !file.flush()) {
        m_error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        file.close();
        file.remove();
        return QString();
    }
    file.close();
    return path;
}

QString ExportFolder::CopyFile(const QString& source, const QString& name)
{
    const QString path = FreeName(name);
    QString error;
    if (!CopyTo(source, path, error)) {
        m_error = error;
        return QString();
    }
    return path;
}

bool ExportFolder::CopyTo(const QString& source, const QString& path, QString& error) const
{
    const bool encrypted = m_encryption && m_encryption->Knows(source);
    QFile in(source);
    if (!encrypted && !in.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1: %2").arg(source, in.errorString());
        return false;
    }
    QFile out(path);
    // NewOnly: a file that appeared since the name was chosen is not touched.
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        error = QStringLiteral("cannot create %1: %2").arg(path, out.errorString());
        return false;
    }
    bool ok = true;
    if (encrypted) {
        ok = m_encryption->DecryptTo(source, out, error);
    } else {
        char buffer[64 * 1024];
        for (;;) {
            const qint64 n = in.read(buffer, sizeof buffer);
            if (n < 0 || (n > 0 && out.write(buffer, n) != n)) {
                error = QStringLiteral("cannot copy to %1: %2").arg(path, out.errorString());
                ok = false;
                break;
            }
            if (n == 0)
                break;
        }
    }
    if (ok && !out.flush()) {
        error = QStringLiteral("cannot write %1: %2").arg(path, out.errorString());
        ok = false;
    }
    out.close();
    if (!ok)
        out.remove();
    return ok;
}

bool ExportFolder::Fail(const QString& error)
{
    m_error = error;
    return false;
}
