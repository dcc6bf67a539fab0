#include "demopagefactory.h"

#include "calendarpage.h"
#include "callhistorypage.h"
#include "contactspage.h"
#include "messageattachmentspage.h"
#include "messagespage.h"
#include "noteattachmentspage.h"
#include "notespage.h"
#include "photospage.h"
#include "reminderspage.h"
#include "safaribookmarkspage.h"
#include "voicememospage.h"
#include "wechatattachmentspage.h"
#include "wechatcontactspage.h"
#include "wechatmessagespage.h"
#include "whatsappattachmentspage.h"
#include "whatsappmessagespage.h"

#include "plugin/categorypanel.h"

#include <QAbstractButton>
#include <QCoreApplication>

using namespace MMobile;

QVector<MDType> DemoPageFactory::Categories()
{
    return {MD_PHOTO,
            MD_CONTACT,
            MD_MESSAGE,
            MD_MESSAGE_ATTACHMENT,
            MD_CALL_HISTORY,
            MD_CALENDAR,
            MD_REMINDER,
            MD_NOTE,
            MD_NOTE_ATTACHMENT,
            MD_VOICE_MEMO,
            MD_SAFARI_BOOKMARK,
            MD_WHATSAPP_MESSAGE,
            MD_WHATSAPP_ATTACHMENT,
            MD_WECHAT_CONTACT,
            MD_WECHAT_MESSAGE,
            MD_WECHAT_ATTACHMENT};
}

QString DemoPageFactory::DisplayName(MDType type)
{
    switch (type) {
    case MD_PHOTO:
        return QStringLiteral(QT_TRANSLATE_NOOP("DemoPageFactory", "Photos"));
    case MD_CONTACT:
        return QStringLiteral(QT_TRANSLATE_NOOP("DemoPageFactory", "Contacts"));
    case MD_MESSAGE_ATTACHMENT:
        return QStringLiteral(QT_TRANSLATE_NOOP("DemoPageFactory", "Message Attachments"));
    case MD_MESSAGE:
        return QStringLiteral(QT_TRANSLATE_NOOP("DemoPageFactory", "Messages"));
    case MD_CALL_HISTORY:
        return QStringLiteral(QT_TRANSLATE_NOOP("DemoPageFactory", "Call History"));
    case MD_CALENDAR:
        return QStringLiteral(QT_TRANSLATE_NOOP("DemoPageFactory", "Calendar"));
    case MD_NOTE_ATTACHMENT:
        return QStringLiteral(QT_TRANSLATE_NOOP("DemoPageFactory", "Note Attachments"));
    case MD_NOTE:
        return QStringLiteral(QT_TRANSLATE_NOOP("DemoPageFactory", "Notes"));
    case MD_VOICE_MEMO:
        return QStringLiteral(QT_TRANSLATE_NOOP("DemoPageFactory", "Voice Memos"));
    case MD_SAFARI_BOOKMARK:
        return QStringLiteral(QT_TRANSLATE_NOOP("DemoPageFactory", "Safari Bookmarks"));
    case MD_WHATSAPP_ATTACHMENT:
        return QStringLiteral(QT_TRANSLATE_NOOP("DemoPageFactory", "WhatsApp Attachments"));
    case MD_WHATSAPP_MESSAGE:
        return QStringLiteral(QT_TRANSLATE_NOOP("DemoPageFactory", "WhatsApp Messages"));
    case MD_WECHAT_CONTACT:
        return QStringLiteral(QT_TRANSLATE_NOOP("DemoPageFactory", "WeChat Contacts"));
    case MD_WECHAT_ATTACHMENT:
        return QStringLiteral(QT_TRANSLATE_NOOP("DemoPageFactory", "WeChat Attachments"));
    case MD_WECHAT_MESSAGE:
        return QStringLiteral(QT_TRANSLATE_NOOP("DemoPageFactory", "WeChat Messages"));
    case MD_REMINDER:
        return QStringLiteral(QT_TRANSLATE_NOOP("DemoPageFactory", "Reminders"));
    }
    return QString();
}

QString DemoPageFactory::Title(MDType type)
{
    return QCoreApplication::translate("DemoPageFactory", DisplayName(type).toUtf8().constData());
}

bool DemoPageFactory::IsFileCategory(MDType type)
{
    switch (type) {
    case MD_PHOTO:
    case MD_MESSAGE_ATTACHMENT:
    case MD_NOTE_ATTACHMENT:
    case MD_VOICE_MEMO:
    case MD_WHATSAPP_ATTACHMENT:
    case MD_WECHAT_ATTACHMENT:
        return true;
    default:
        return false;
    }
}

namespace {
CategoryPanel* MakePage(IUIPluginSetting* setting, MDType type, const QString& workFolder)
{
    switch (type) {
    case MD_PHOTO:
        return new PhotosPage(setting, workFolder);
    case MD_CONTACT:
        return new ContactsPage(setting);
    case MD_MESSAGE_ATTACHMENT:
        return new MessageAttachmentsPage(setting, workFolder);
    case MD_MESSAGE:
        return new MessagesPage(setting);
    case MD_CALL_HISTORY:
        return new CallHistoryPage(setting);
    case MD_CALENDAR:
        return new CalendarPage(setting);
    case MD_NOTE_ATTACHMENT:
        return new NoteAttachmentsPage(setting, workFolder);
    case MD_NOTE:
        return new NotesPage(setting);
    case MD_VOICE_MEMO:
        return new VoiceMemosPage(setting, workFolder);
    case MD_SAFARI_BOOKMARK:
        return new SafariBookmarksPage(setting);
    case MD_WHATSAPP_ATTACHMENT:
        return new WhatsAppAttachmentsPage(setting, workFolder);
    case MD_WHATSAPP_MESSAGE:
        return new WhatsAppMessagesPage(setting);
    case MD_WECHAT_CONTACT:
        return new WeChatContactsPage(setting);
    case MD_WECHAT_ATTACHMENT:
        return new WeChatAttachmentsPage(setting, workFolder);
    case MD_WECHAT_MESSAGE:
        return new WeChatMessagesPage(setting);
    case MD_REMINDER:
        return new RemindersPage(setting);
    }
    return nullptr;
}
} // namespace

CategoryPanel* DemoPageFactory::Create(IUIPluginSetting* setting, MDType type,
                                       const QString& workFolder)
{
    CategoryPanel* page = MakePage(setting, type, workFolder);
    // The window is named as the host's overview names the category.
    if (page)
        page->setWindowTitle(Title(type));
    // The recover bar's close button is a bare cross: say what it does.
    for (QWidget* bar : page ? page->findChildren<QWidget*>() : QList<QWidget*>()) {
        if (!bar->inherits("RecoverButtonBar"))
            continue;
        if (auto* close = bar->findChild<QAbstractButton*>(QStringLiteral("btnClose")))
            close->setToolTip(QCoreApplication::translate("DemoPageFactory", "Close this page"));
    }
    return page;
}
