#include "wechatroomdata.h"

#include "protofields.h"

#include <QXmlStreamReader>

#include <vector>

namespace {

// More members than a group can have (the app's limit is 500) are damage.
const int MaximumMembers = 10000;

} // namespace

WeChatRoomData::WeChatRoomData(const QByteArray& chatRoomField)
{
    std::vector<ProtoFields::Field> fields;
    ProtoFields::Parse(chatRoomField, fields);
    QStringList xmlMembers;
    for (const ProtoFields::Field& field : fields) {
        if (field.wireType != 2)
            continue;
        if (field.number == 1 && m_members.isEmpty())
            m_members = QString::fromUtf8(field.bytes).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        else if (field.bytes.startsWith("<RoomData>") && m_names.isEmpty())
            ReadXml(field.bytes);
    }
    if (m_members.size() > MaximumMembers)
        m_members = m_members.mid(0, MaximumMembers);
}

void WeChatRoomData::ReadXml(const QByteArray& xml)
{
    QXmlStreamReader reader(xml);
    QStringList order;
    QString member;
    while (!reader.atEnd() && order.size() < MaximumMembers) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (reader.name() == QLatin1String("Member")) {
            member = reader.attributes().value(QLatin1String("UserName")).toString();
            if (!member.isEmpty())
                order.append(member);
        } else if (reader.name() == QLatin1String("DisplayName") && !member.isEmpty()) {
            const QString name = reader.readElementText().trimmed();
            if (!name.isEmpty())
                m_names.insert(member, name);
        }
    }
    // Without the list of field 1 the room data's order is the members'.
    if (m_members.isEmpty())
        m_members = order;
}
