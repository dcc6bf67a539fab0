#include "recoveryreport.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

namespace {

template <class Visit> void EachFile(const QString& folder, Visit visit)
{
    if (folder.isEmpty())
        return;
    const QDir root(folder);
    QDirIterator files(folder, QDir::Files | QDir::Hidden | QDir::NoSymLinks,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        files.next();
        visit(root.relativeFilePath(files.filePath()), files.fileInfo());
    }
}

} // namespace

void RecoveryReport::Snapshot(const QString& folder)
{
    m_folder = QDir::cleanPath(QDir::fromNativeSeparators(folder));
    m_before.clear();
    EachFile(m_folder, [this](const QString& path, const QFileInfo& info) {
        m_before.insert(path, Stamp{info.size(), info.lastModified()});
    });
}

RecoveryReport::Written RecoveryReport::Compare() const
{
    Written written;
    EachFile(m_folder, [&](const QString& path, const QFileInfo& info) {
        const auto before = m_before.constFind(path);
        if (before != m_before.cend() && before->size == info.size() &&
            before->modified == info.lastModified())
            return;
        written.files << path;
        written.bytes += info.size();
    });
    std::sort(written.files.begin(), written.files.end());
    // The deepest folder that holds them all: what the user wants to open.
    QString common = written.files.isEmpty() ? QString() : QFileInfo(written.files.first()).path();
    for (const QString& file : written.files) {
        while (common != QLatin1String(".") && !file.startsWith(common + QLatin1Char('/')))
            common = QFileInfo(common).path();
    }
    written.commonFolder = common.isEmpty() || common == QLatin1String(".")
                               ? m_folder
                               : QDir(m_folder).filePath(common);
    return written;
}
