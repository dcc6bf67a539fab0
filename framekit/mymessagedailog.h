#ifndef MYMESSAGEDAILOG_H
#define MYMESSAGEDAILOG_H

#include "mywidget.h"

class QLabel;
class QPushButton;

// A modal message box in the kit's frame: an icon for the kind of message, a
// rich text (lines broken with <br>) and up to two buttons. exec() returns 1
// when the first button ("btnOk") closes it and 0 for the second
// ("btnCancel"), the close button and Escape. The dialog owns its children;
// whoever creates it deletes it (or gives it a parent).
class FRAMEKIT_EXPORT MyMessageDailog : public MyWidget
{
    Q_OBJECT

public:
    enum MESSAGE_TYPE : int {
        MESSAGE_INFORMATION = 0, // information, or a question to confirm
        MESSAGE_SUCCESS = 1,
        MESSAGE_WARNING = 2,
        MESSAGE_ERROR = 3
    };
    Q_ENUM(MESSAGE_TYPE)

    // `shadow` as for MyWidget.
    explicit MyMessageDailog(QWidget* parent = nullptr, bool shadow = true);
    ~MyMessageDailog() override;

    // A value outside the enumeration shows as MESSAGE_INFORMATION.
    void setMessageType(MESSAGE_TYPE type);
    void setMessageText(const QString& text);
    // An empty text leaves that button's text as it is.
    void setBtnText(const QString& okText, const QString& cancelText);
    void setCancelBtnHide();
    // Links in the text open in the desktop's browser from now on.
    void setOpenUrl();

    MESSAGE_TYPE messageType() const;
    QString messageText() const;
    QString okButtonText() const;
    QString cancelButtonText() const;
    bool isCancelButtonHidden() const;
    bool isOpenUrl() const;

private:
    MESSAGE_TYPE m_type = MESSAGE_INFORMATION;
    QLabel* m_iconLabel = nullptr;
    QLabel* m_textLabel = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};

#endif // MYMESSAGEDAILOG_H
