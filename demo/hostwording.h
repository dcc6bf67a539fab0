#ifndef HOSTWORDING_H
#define HOSTWORDING_H

#include <QTranslator>

// The host's wording of a few library texts that name a button the host
// does not show by that name: the recover bar's "nothing ticked" refusals
// say which of its icon buttons to press. Asked before the catalogues
// (installed after them), it answers those texts with its own, translated
// by the host's catalogue when one is given (borrowed); every other text it
// leaves to the catalogues.
class HostWording : public QTranslator
{
    Q_OBJECT

public:
    explicit HostWording(const QTranslator* hostCatalogue = nullptr);

    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override;

private:
    const QTranslator* m_catalogue;
};

#endif // HOSTWORDING_H
