#include "mediamerger.h"

#include "attachmentmerger.h"
#include "backupmanifest.h"
#include "mergedatabase.h"
#include "mergedmanifest.h"
#include "photomerger.h"
#include "readercontext.h"
#include "voicememomerger.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

DeletedRows::Table Records(const char* name)
{
    return {QString::fromLatin1(name), DeletedRows::Table::Records, QStringLiteral("0"), QString(),
            QString()};
}

} // namespace

std::unique_ptr<CategoryMerger> MediaMerger::For(MMobile::MDType type, ReaderContext& source,
                                                 MergedManifest& out)
{
    switch (type) {
    case MMobile::MD_PHOTO:
        return std::make_unique<PhotoMerger>(source, out);
    case MMobile::MD_VOICE_MEMO:
        return std::make_unique<VoiceMemoMerger>(source, out);
    case MMobile::MD_MESSAGE_ATTACHMENT:
        return std::make_unique<AttachmentMerger>(source, out);
    default:
        return nullptr;
    }
}

bool MediaMerger::Handles(int category)
{
    return !StoresOf(static_cast<MMobile::MDType>(category)).empty();
}

std::vector<DeletedRecords::Store> MediaMerger::StoresOf(MMobile::MDType type)
{
    switch (type) {
    case MMobile::MD_PHOTO:
        // The asset table is ZGENERICASSET up to iOS 13, ZASSET after.
        return {{ReaderContext::CameraRollDomain,
                 "Media/PhotoData/Photos.sqlite",
                 {Records("ZASSET"), Records("ZGENERICASSET")},
                 {}}};
    case MMobile::MD_VOICE_MEMO:
        // CloudRecordings.db from iOS 14 on, Recordings.db before.
        return {{ReaderContext::MediaDomain,
                 "Media/Recordings/CloudRecordings.db",
                 {Records("ZCLOUDRECORDING")},
                 {}},
                {ReaderContext::MediaDomain,
                 "Media/Recordings/Recordings.db",
                 {Records("ZRECORDING")},
                 {}}};
    case MMobile::MD_MESSAGE_ATTACHMENT:
        return {{ReaderContext::HomeDomain, "Library/SMS/sms.db", {Records("attachment")}, {}}};
    default:
        return {};
    }
}

QString MediaMerger::SourceFile(const QString& domain, const QString& relativePath)
{
    const QString path = m_source.Manifest().FetchFile(domain, relativePath);
    const QFileInfo info(path);
    return !path.isEmpty() && info.isFile() && !info.isSymLink() ? path : QString();
}

QString MediaMerger::FreePath(const QString& domain, const QString& relativePath, bool inFolder)
{
    if (m_out.FileIdOf(domain, relativePath).isEmpty())
        return relativePath;
    const int slash = relativePath.lastIndexOf(QLatin1Char('/'));
    const QString folder = relativePath.left(slash + 1);
    const QString name = relativePath.mid(slash + 1);
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    const QString suffix = inFolder || dot <= 0 ? QString() : name.mid(dot);
    // What is counted on: the folder's own name, or the file's without its suffix.
    const QString counted =
        inFolder ? folder.left(qMax(0, folder.size() - 1)) : name.left(name.size() - suffix.size());
    static const QRegularExpression numbered(QStringLiteral("^(.*\\D)?(\\d+)(\\D*)$"));
    const QRegularExpressionMatch match = numbered.match(counted);
    if (inFolder && !match.hasMatch())
        return FreePath(domain, relativePath, false);
    for (qint64 n = 1; n < 100000; ++n) {
        QString next;
        if (match.hasMatch()) {
            const QString digits = match.captured(2);
            next = match.captured(1) +
                   QStringLiteral("%1").arg(digits.toLongLong() + n, digits.size(), 10,
                                            QLatin1Char('0')) +
                   match.captured(3);
        } else {
            next = counted + QStringLiteral("-%1").arg(n);
        }
        next += suffix;
        const QString candidate = inFolder ? next + QLatin1Char('/') + name : folder + next;
        if (m_out.FileIdOf(domain, candidate).isEmpty())
            return candidate;
    }
    return QString();
}

bool MediaMerger::AddFile(MergeDatabase& db, const QString& domain, const QString& relativePath,
                          const QString& content)
{
    return m_out.Add(domain, relativePath, content) || db.Refuse(m_out.ErrorText());
}
