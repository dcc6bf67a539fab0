#include "hosttranslations.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

HostTranslations::HostTranslations() = default;

HostTranslations::~HostTranslations()
{
    Remove();
}

QStringList HostTranslations::Catalogues()
{
    return {QStringLiteral("categorypanel"), QStringLiteral("framekit"), QStringLiteral("cpdemo")};
}

bool HostTranslations::Install(const QLocale& locale)
{
    Remove();
    // The resource lives in a static library: its registration is pulled in here.
    Q_INIT_RESOURCE(hosttranslations);
    for (const QString& catalogue : Catalogues()) {
        auto translator = std::make_unique<QTranslator>();
        // Tries de_DE, de and so on for every UI language of the locale.
        if (!translator->load(locale, catalogue, QStringLiteral("_"),
                              QStringLiteral(":/translations"))) {
            Remove();
            return false;
        }
        QCoreApplication::installTranslator(translator.get());
        m_translators.push_back(std::move(translator));
    }
    return true;
}

void HostTranslations::Remove()
{
    for (const std::unique_ptr<QTranslator>& translator : m_translators)
        QCoreApplication::removeTranslator(translator.get());
    m_translators.clear();
}
