#include "vcardwriter.h"

#include "contracts/icontact.h"
#include "contracts/icontactaddresslist.h"
#include "contracts/icontactlist.h"
#include "contracts/icontactname.h"
#include "contracts/icontactorganization.h"

#include <QStringList>

namespace {

QString Text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QString TypeParameter(const char* label)
{
    const QString type = Text(label).trimmed().toUpper();
    if (type.isEmpty())
        return QString();
    QString clean;
    for (const QChar c : type) {
        if (c.isLetterOrNumber() || c == QLatin1Char('-'))
            clean.append(c);
    }
    return clean.isEmpty() ? QString() : QStringLiteral(";TYPE=") + clean;
}

} // namespace

QString VCardWriter::Escape(const QString& value)
{
    QString escaped;
    escaped.reserve(value.size());
    for (int i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\\') || c == QLatin1Char(',') || c == QLatin1Char(';')) {
            escaped.append(QLatin1Char('\\'));
            escaped.append(c);
        } else if (c == QLatin1Char('\r')) {
            if (i + 1 < value.size() && value.at(i + 1) == QLatin1Char('\n'))
                ++i;
            escaped.append(QLatin1String("\\n"));
        } else if (c == QLatin1Char('\n')) {
            escaped.append(QLatin1String("\\n"));
        } else {
            escaped.append(c);
        }
    }
    return escaped;
}

QByteArray VCardWriter::Line(const QString& line)
{
    const QByteArray bytes = line.toUtf8();
    QByteArray folded;
    int lineLength = 0;
    for (int i = 0; i < bytes.size();) {
        int length = 1;
        const uchar lead = static_cast<uchar>(bytes.at(i));
        if (lead >= 0xF0)
            length = 4;
        else if (lead >= 0xE0)
            length = 3;
        else if (lead >= 0xC0)
            length = 2;
        length = qMin(length, bytes.size() - i);
        if (lineLength + length > 75) {
            folded.append("\r\n ");
            lineLength = 1;
        }
        folded.append(bytes.constData() + i, length);
        lineLength += length;
        i += length;
    }
    folded.append("\r\n");
    return folded;
}

QByteArray VCardWriter::Card(MMobile::IContact* contact)
{
    QByteArray card;
    if (!contact)
        return card;
    MMobile::IContactName* name = contact->GetName();
    MMobile::IContactOrganization* organization = contact->GetOrganization();
    card += Line(QStringLiteral("BEGIN:VCARD"));
    card += Line(QStringLiteral("VERSION:3.0"));
    QString full = name ? Text(name->GetFullName()) : QString();
    if (full.isEmpty() && organization)
        full = Text(organization->GetCompanyName());
    card += Line(QStringLiteral("FN:") + Escape(full));
    if (name) {
        card += Line(QStringLiteral("N:%1;%2;%3;%4;%5")
                         .arg(Escape(Text(name->GetLastName())), Escape(Text(name->GetFirstName())),
                              Escape(Text(name->GetMiddleName())), Escape(Text(name->GetPrefix())),
                              Escape(Text(name->GetSuffix()))));
        if (!Text(name->GetNickname()).isEmpty())
            card += Line(QStringLiteral("NICKNAME:") + Escape(Text(name->GetNickname())));
    }
    if (organization) {
        const QString company = Text(organization->GetCompanyName());
        const QString department = Text(organization->GetDepartment());
        if (!company.isEmpty() || !department.isEmpty()) {
            QString org = QStringLiteral("ORG:") + Escape(company);
            if (!department.isEmpty())
                org += QLatin1Char(';') + Escape(department);
            card += Line(org);
        }
        if (!Text(organization->GetJobTitle()).isEmpty())
            card += Line(QStringLiteral("TITLE:") + Escape(Text(organization->GetJobTitle())));
    }
    const auto addList = [&card](MMobile::IContactList* list, const QString& property,
                                 const QString& extra) {
        if (!list)
            return;
        for (unsigned int i = 0; i < list->GetCount(); ++i) {
            const QString value = Text(list->GetValue(i));
            if (value.isEmpty())
                continue;
            card += Line(property + extra + TypeParameter(list->GetLabel(i)) + QLatin1Char(':') +
                         Escape(value));
        }
    };
    addList(contact->GetPhoneList(), QStringLiteral("TEL"), QString());
    addList(contact->GetEmailList(), QStringLiteral("EMAIL"), QStringLiteral(";TYPE=INTERNET"));
    addList(contact->GetUrlList(), QStringLiteral("URL"), QString());
    if (MMobile::IContactAddressList* addresses = contact->GetAddressList()) {
        for (unsigned int i = 0; i < addresses->GetCount(); ++i) {
            card += Line(QStringLiteral("ADR%1:;;%2;%3;%4;%5;%6")
                             .arg(TypeParameter(addresses->GetLabel(i)),
                                  Escape(Text(addresses->GetStreet(i))),
                                  Escape(Text(addresses->GetCity(i))),
                                  Escape(Text(addresses->GetState(i))),
                                  Escape(Text(addresses->GetPostalCode(i))),
                                  Escape(Text(addresses->GetCountry(i)))));
        }
    }
    addList(contact->GetInstantMessageList(), QStringLiteral("IMPP"), QString());
    addList(contact->GetSocialProfileList(), QStringLiteral("X-SOCIALPROFILE"), QString());
    addList(contact->GetRelatedNameList(), QStringLiteral("X-ABRELATEDNAMES"), QString());
    addList(contact->GetDateList(), QStringLiteral("X-ABDATE"), QString());
    QString birthday = Text(contact->GetBirthday());
    // A birthday without a year ("--MM-dd") is written as vCard has it: --MMDD.
    if (birthday.startsWith(QLatin1String("--")))
        birthday = QStringLiteral("--") + birthday.mid(2).remove(QLatin1Char('-'));
    if (!birthday.isEmpty())
        card += Line(QStringLiteral("BDAY:") + birthday);
    if (!Text(contact->GetNote()).isEmpty())
        card += Line(QStringLiteral("NOTE:") + Escape(Text(contact->GetNote())));
    card += Line(QStringLiteral("END:VCARD"));
    return card;
}
