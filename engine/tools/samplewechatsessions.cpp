#include "samplewechatsessions.h"

#include "sampleproto.h"
#include "sqlitewriter.h"

#include <QCryptographicHash>

namespace {

const QString Domain = QStringLiteral("AppDomain-com.tencent.xin");

} // namespace

bool SampleWeChatSessions::Write(const QString& base, const std::vector<Session>& sessions)
{
    SqliteWriter db;
    if (!db.Open(m_addFile(Domain, base + QStringLiteral("session/session.db"))) ||
        !db.Exec(QStringLiteral(
            "CREATE TABLE SessionAbstract (UsrName TEXT PRIMARY KEY, ConIntRes1 INTEGER DEFAULT "
            "0, ConIntRes2 INTEGER DEFAULT 0, ConIntRes3 INTEGER DEFAULT 0, ConStrRes1 TEXT, "
            "ConStrRes2 TEXT, ConStrRes3 TEXT, CreateTime INTEGER DEFAULT 0, unreadcount "
            "INTEGER DEFAULT 0)"))) {
        m_error = db.LastError();
        return false;
    }
    for (const Session& session : sessions) {
        const QString hash = QString::fromLatin1(
            QCryptographicHash::hash(session.userName.toUtf8(), QCryptographicHash::Md5).toHex());
        const QString data = QStringLiteral("session/data/%1/%2").arg(hash.left(2), hash.mid(2));
        if (db.Insert(QStringLiteral("INSERT INTO SessionAbstract (UsrName, ConStrRes1, "
                                     "CreateTime, unreadcount) VALUES (?, ?, ?, ?)"),
                      {session.userName, QLatin1Char('/') + data, session.lastTime,
                       session.unread}) < 0) {
            m_error = db.LastError();
            return false;
        }
        const SampleProto contact =
            SampleProto().Text(1, session.userName).Text(4, session.nickName);
        const SampleProto counts =
            SampleProto().Varint(2, quint64(session.count)).Varint(7, quint64(session.lastTime));
        if (!m_writeFile(Domain, base + data,
                         SampleProto()
                             .Message(1, SampleProto().Message(1, contact))
                             .Message(2, counts)
                             .Data())) {
            m_error = QStringLiteral("cannot write %1").arg(data);
            return false;
        }
    }
    if (!db.Close()) {
        m_error = db.LastError();
        return false;
    }
    return true;
}
