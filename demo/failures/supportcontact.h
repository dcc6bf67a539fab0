#ifndef SUPPORTCONTACT_H
#define SUPPORTCONTACT_H

#include <QCoreApplication>
#include <QString>

class QSettings;

// Where a user who is stuck gets help: the support e-mail address and web
// page a packager fills in, in the host's configuration ("support/email",
// "support/web") or on its command line. Nothing set means no address is
// shown at all; the messages then send the user to the log folder and the
// README's Troubleshooting section.
class SupportContact
{
    Q_DECLARE_TR_FUNCTIONS(SupportContact)

public:
    QString mail;
    QString webPage;

    // The contact of the configuration; `mail` and `webPage`, when not
    // empty, override it (the command line's values).
    static SupportContact Read(const QSettings& settings, const QString& mail = QString(),
                               const QString& webPage = QString());
    bool IsSet() const { return !mail.isEmpty() || !webPage.isEmpty(); }
    // The sentence a failure message ends with: whom to ask, or where the
    // log of `logFolder` is and where the README helps.
    QString HelpText(const QString& logFolder) const;
    // Hands the contact to the category pages' own messages.
    void ApplyToPages() const;
};

#endif // SUPPORTCONTACT_H
