#include "supportcontact.h"

#include "plugin/categorypanel.h"

#include <QDir>
#include <QSettings>

namespace {
const char kMailKey[] = "support/email";
const char kWebKey[] = "support/web";
} // namespace

SupportContact SupportContact::Read(const QSettings& settings, const QString& mail,
                                    const QString& webPage)
{
    SupportContact contact;
    contact.mail =
        (mail.isEmpty() ? settings.value(QLatin1String(kMailKey)).toString() : mail).trimmed();
    contact.webPage =
        (webPage.isEmpty() ? settings.value(QLatin1String(kWebKey)).toString() : webPage).trimmed();
    return contact;
}

QString SupportContact::HelpText(const QString& logFolder) const
{
    const QString log = QDir::toNativeSeparators(logFolder);
    if (!mail.isEmpty() && !webPage.isEmpty())
        return tr("For help, send the files of the log folder (%1) to %2, or see %3.")
            .arg(log, mail, webPage);
    if (!mail.isEmpty())
        return tr("For help, send the files of the log folder (%1) to %2.").arg(log, mail);
    if (!webPage.isEmpty())
        return tr("For help, see %1; the log folder (%2) has the details.").arg(webPage, log);
    return tr("The log folder (%1) has the details; the Troubleshooting section of the README "
              "says what to try next.")
        .arg(log);
}

void SupportContact::ApplyToPages() const
{
    CategoryPanel::SetSupportContact(mail.toUtf8().constData(), webPage.toUtf8().constData());
}
