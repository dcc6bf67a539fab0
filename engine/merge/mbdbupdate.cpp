#include "mbdbupdate.h"

#include "backup/mbdbfieldreader.h"

#include <QCryptographicHash>

namespace {

const QByteArray Magic("mbdb\x05\x00", 6);

// A big-endian number of `bytes` bytes.
void AppendNumber(QByteArray& out, quint64 value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.append(static_cast<char>((value >> (8 * i)) & 0xff));
}

} // namespace

void MbdbUpdate::Changed(const QString& fileId, qint64 size, const QByteArray& sha1,
                         quint32 modified)
{
    Change& change = m_changes[fileId.toLatin1()];
    change.removed = false;
    change.size = size;
    change.sha1 = sha1;
    change.modified = modified;
}

void MbdbUpdate::Removed(const QString& fileId)
{
    m_changes[fileId.toLatin1()].removed = true;
}

bool MbdbUpdate::Apply(const QByteArray& index, QByteArray& updated)
{
    if (!index.startsWith(Magic)) {
        m_error = QStringLiteral("Manifest.mbdb is not a backup index");
        return false;
    }
    updated = Magic;
    updated.reserve(index.size());
    int at = Magic.size();
    while (at < index.size()) {
        MbdbFieldReader walk(index, at);
        const QByteArray domain = walk.String();
        const QByteArray path = walk.String();
        walk.String(); // link target
        const int hashAt = walk.At();
        const QByteArray hash = walk.String();
        const int hashEnd = walk.At();
        walk.String();  // encryption key
        walk.Number(2); // mode
        walk.Number(8); // inode
        walk.Number(8); // user and group
        const int timesAt = walk.At();
        walk.Number(4); // modified
        walk.Number(8); // accessed, created
        const int sizeAt = walk.At();
        walk.Number(8); // size
        walk.Number(1); // protection class
        const quint64 properties = walk.Number(1);
        for (quint64 i = 0; i < properties * 2; ++i)
            walk.String();
        if (!walk.ok) {
            m_error = QStringLiteral("Manifest.mbdb ends inside a record");
            return false;
        }
        const int end = walk.At();
        const QByteArray id =
            QCryptographicHash::hash(domain + '-' + path, QCryptographicHash::Sha1).toHex();
        const auto change = m_changes.find(id);
        if (change == m_changes.end()) {
            updated.append(index.constData() + at, end - at);
        } else if (!change->second.removed) {
            const Change& now = change->second;
            updated.append(index.constData() + at, hashAt - at);
            // A record without a digest keeps none (as the phone wrote it).
            if (hash.isEmpty()) {
                updated.append(index.constData() + hashAt, hashEnd - hashAt);
            } else {
                AppendNumber(updated, quint64(now.sha1.size()), 2);
                updated.append(now.sha1);
            }
            updated.append(index.constData() + hashEnd, timesAt - hashEnd);
            AppendNumber(updated, now.modified, 4);
            updated.append(index.constData() + timesAt + 4, sizeAt - timesAt - 4);
            AppendNumber(updated, quint64(now.size), 8);
            updated.append(index.constData() + sizeAt + 8, end - sizeAt - 8);
        }
        at = end;
    }
    return true;
}
