#include "hosttranslations.h"

#include "hostwording.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace {
QString QtTranslationsFolder()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#else
    return QLibraryInfo::location(QLibraryInfo::TranslationsPath);
#endif
}
} // namespace

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
    bool found = true;
    for (const QString& catalogue : Catalogues()) {
        auto translator = std::make_unique<QTranslator>();
        // Tries de_DE, de and so on for every UI language of the locale.
        if (!translator->load(locale, catalogue, QStringLiteral("_"),
                              QStringLiteral(":/translations"))) {
            Remove();
            found = false;
            break;
        }
        QCoreApplication::installTranslator(translator.get());
        m_translators.push_back(std::move(translator));
    }
    // Qt's own dialogs and standard buttons (qtbase), where the system has them.
    if (found) {
        auto qt = std::make_unique<QTranslator>();
        if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                     QtTranslationsFolder())) {
            QCoreApplication::installTranslator(qt.get());
            m_translators.insert(m_translators.begin(), std::move(qt));
        }
    }
    // Last installed, first asked: in every language. The host's catalogue is the last one.
    const QTranslator* host = found ? m_translators.back().get() : nullptr;
    m_translators.push_back(std::make_unique<HostWording>(host));
    QCoreApplication::installTranslator(m_translators.back().get());
    return found;
}

void HostTranslations::Remove()
{
    for (const std::unique_ptr<QTranslator>& translator : m_translators)
        QCoreApplication::removeTranslator(translator.get());
    m_translators.clear();
}
