#ifndef WECHATROOMDATA_H
#define WECHATROOMDATA_H

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

// A WeChat group's members as its contact row keeps them: the chat-room
// field (dbContactChatRoom) is a protocol buffer with the members' user
// names ';'-separated in field 1 and the room data, an XML list
// <RoomData><Member UserName="..."><DisplayName>...</DisplayName></Member>
// ...</RoomData>, in another length-delimited field (6 in the versions
// seen). The display name is the one a member gave themselves in the
// group. Hostile input gives what could be read. A value.
class WeChatRoomData
{
public:
    explicit WeChatRoomData(const QByteArray& chatRoomField);

    QStringList Members() const { return m_members; }
    // Empty when the member has none.
    QString DisplayName(const QString& userName) const { return m_names.value(userName); }

private:
    void ReadXml(const QByteArray& xml);

    QStringList m_members;
    QHash<QString, QString> m_names;
};

#endif // WECHATROOMDATA_H
