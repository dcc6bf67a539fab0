#include "exportfolder.h"

#include "crypto/encryptedbackup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

ExportFolder::ExportFolder(const QString& path, EncryptedBackup* encryption)
    : m_path(path), m_encryption(encryption)
{
}

namespace {

// Longer "extensions" are part of the name: nothing opens a file by them.
constexpr int MaximumSuffixBytes = 32;

int Utf8Length(const QString& text)
{
    return text.toUtf8().size();
}

void TrimEnd(QString& name)
{
    while (!name.isEmpty() &&
           (name.endsWith(QLatin1Char('.')) || name.at(name.size() - 1).isSpace()))
        name.chop(1);
}

// CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1-9 and LPT1-9 name devices on
// Windows, whatever their case or extension.
bool IsReservedName(const QString& name)
{
    const QString base = name.section(QLatin1Char('.'), 0, 0).trimmed().toUpper();
    static const QStringList reserved = {QStringLiteral("CON"),    QStringLiteral("PRN"),
                                         QStringLiteral("AUX"),    QStringLiteral("NUL"),
                                         QStringLiteral("CONIN$"), QStringLiteral("CONOUT$")};
    if (reserved.contains(base))
        return true;
    return base.size() == 4 &&
           (base.startsWith(QLatin1String("COM")) || base.startsWith(QLatin1String("LPT"))) &&
           base[3] >= QLatin1Char('1') && base[3] <= QLatin1Char('9');
}

// `base` cut at a character boundary so that base + suffix fit `maximumBytes`.
QString FitBytes(QString base, const QString& suffix, int maximumBytes)
{
    const int room = maximumBytes - Utf8Length(suffix);
    while (!base.isEmpty() && Utf8Length(base) > room) {
        base.chop(1);
        if (!base.isEmpty() && base.at(base.size() - 1).isHighSurrogate())
            base.chop(1);
    }
    TrimEnd(base);
    return base;
}

} // namespace

bool ExportFolder::Prepare()
{
    // A relative path would land wherever the process happens to run.
    if (m_path.isEmpty() || QDir::isRelativePath(m_path)) {
        m_error = QStringLiteral("no usable output folder: \"%1\"").arg(m_path);
        return false;
    }
    if (!QDir().mkpath(m_path)) {
        // The system's own reason (no room, a name too long, a file in the
        // way), which QDir does not keep.
        const QString reason = qt_error_string(-1);
        m_error = QStringLiteral("cannot create %1: %2").arg(m_path, reason);
        return false;
    }
    return true;
}

QString ExportFolder::CleanName(const QString& name, const QString& addition)
{
    QString clean;
    clean.reserve(name.size());
    for (int i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (c.isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            clean.append(c).append(name[++i]);
        } else if (c.unicode() < 0x20 || c.unicode() == 0x7F || c.isSurrogate() ||
                   QStringLiteral("<>:\"/\\|?*").contains(c)) {
            clean.append(QLatin1Char('_'));
        } else {
            clean.append(c);
        }
    }
    clean = clean.trimmed();
    TrimEnd(clean);
    // A name that begins with a dot is hidden on Unix: it is made visible.
    for (int i = 0; i < clean.size() && clean[i] == QLatin1Char('.'); ++i)
        clean[i] = QLatin1Char('_');

    // The extension stays; the rest gives way to the byte limit.
    const int dot = clean.lastIndexOf(QLatin1Char('.'));
    QString base = clean;
    QString suffix;
    if (dot > 0 && Utf8Length(clean.mid(dot)) <= MaximumSuffixBytes) {
        base = clean.left(dot);
        suffix = clean.mid(dot);
    }
    base = FitBytes(base, addition + suffix, MaximumNameBytes);
    if (base.isEmpty() || base == QLatin1String(".") || base == QLatin1String(".."))
        base = QStringLiteral("unnamed");
    if (IsReservedName(base + suffix))
        base.prepend(QLatin1Char('_'));
    return base + addition + suffix;
}

bool ExportFolder::WriteAll(QFile& file, const char* data, qint64 size)
{
    // A write the disk takes in part reports no error (Qt says "Unknown
    // error"); the next one fails with the system's reason (no space left,
    // file too large), which is what the user must read.
    while (size > 0) {
        const qint64 n = file.write(data, size);
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

QString ExportFolder::FreeName(const QString& name)
{
    const QDir dir(m_path);
    QString candidate = CleanName(name);
    for (int n = 1;; ++n) {
        // Case-insensitive, as the file systems of the desktop are.
        if (!m_taken.contains(candidate.toLower()) && !QFileInfo::exists(dir.filePath(candidate)))
            break;
        candidate = CleanName(name, QStringLiteral(" (%1)").arg(n));
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
    if (!WriteAll(file, data.constData(), data.size()) || !file.flush()) {
        m_error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        file.close();
        file.remove();
        return QString();
    }
    // Closing writes what the buffer held: a full disk may say so only here.
    file.close();
    if (file.error() != QFileDevice::NoError) {
        m_error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        file.remove();
        return QString();
    }
    m_complete << path;
    return path;
}

QString ExportFolder::CopyFile(const QString& source, const QString& name,
                               const std::function<bool()>& goOn)
{
    const QString path = FreeName(name);
    QString error;
    if (!CopyTo(source, path, error, goOn)) {
        m_error = error;
        return QString();
    }
    m_complete << path;
    return path;
}

bool ExportFolder::CopyTo(const QString& source, const QString& path, QString& error,
                          const std::function<bool()>& goOn) const
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
        ok = m_encryption->DecryptTo(source, out, error, goOn);
    } else {
        char buffer[64 * 1024];
        for (;;) {
            // A video of gigabytes is stopped between two slices.
            if (goOn && !goOn()) {
                error = QStringLiteral("stopped");
                ok = false;
                break;
            }
            const qint64 n = in.read(buffer, sizeof buffer);
            if (n < 0 || (n > 0 && !WriteAll(out, buffer, n))) {
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
    if (ok && out.error() != QFileDevice::NoError) {
        error = QStringLiteral("cannot write %1: %2").arg(path, out.errorString());
        ok = false;
    }
    if (!ok)
        out.remove();
    return ok;
}

bool ExportFolder::Fail(const QString& error)
{
    m_error = error;
    return false;
}
