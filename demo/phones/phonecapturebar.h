#ifndef PHONECAPTUREBAR_H
#define PHONECAPTUREBAR_H

#include <QWidget>

class PhoneDevice;
class QLabel;
class QProgressBar;
class QTimer;

// The backup line of an open phone in the host: what the capture does
// ("Backing up ...", waiting for trust or an unlock) and its true percentage.
// It reads the capture's last progress five times a second while one runs
// (a lock and a copy; the capture itself runs on its own thread) and hides
// when none does. The phone device is borrowed: Watch(nullptr) before it goes.
class PhoneCaptureBar : public QWidget
{
    Q_OBJECT

public:
    explicit PhoneCaptureBar(QWidget* parent = nullptr);

    void Watch(PhoneDevice* phone);
    int Percent() const;
    QString Text() const;

private:
    void Update();

    PhoneDevice* m_phone = nullptr;
    QLabel* m_pText;
    QProgressBar* m_pBar;
    QTimer* m_timer;
};

#endif // PHONECAPTUREBAR_H
