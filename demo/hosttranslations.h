#ifndef HOSTTRANSLATIONS_H
#define HOSTTRANSLATIONS_H

#include <QStringList>

#include <memory>
#include <vector>

class QLocale;
class QTranslator;

// The catalogues of the host, the page library and the widget kit, embedded in
// the host (":/translations"). Install() puts those of one language into the
// application; the texts stay English when the language has none. Owns its
// translators and takes them out of the application when destroyed.
class HostTranslations
{
public:
    HostTranslations();
    ~HostTranslations();
    HostTranslations(const HostTranslations&) = delete;
    HostTranslations& operator=(const HostTranslations&) = delete;

    // Installs the catalogues of the first of the locale's UI languages that
    // has them; false (and English texts) when none has.
    bool Install(const QLocale& locale);
    // The catalogue names, "categorypanel", "framekit" and "cpdemo".
    static QStringList Catalogues();

private:
    void Remove();

    std::vector<std::unique_ptr<QTranslator>> m_translators;
};

#endif // HOSTTRANSLATIONS_H
