#include "app/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>
#include <vector>

namespace celdara {

int InstallTranslations(const QLocale& locale) {
    // Kept for the life of the process: an installed translator must outlive its use.
    static std::vector<std::unique_ptr<QTranslator>> installed;
    for (const auto& translator : installed)
        QCoreApplication::removeTranslator(translator.get());
    installed.clear();

    const struct {
        const char* name;
        QString folder;
    } sources[] = {
        {"celdara", QStringLiteral(":/i18n")},
        {"terminal", QStringLiteral(":/i18n")},
        {"qtbase", QLibraryInfo::path(QLibraryInfo::TranslationsPath)},
    };
    for (const auto& source : sources) {
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(locale, source.name, "_", source.folder) &&
            QCoreApplication::installTranslator(translator.get()))
            installed.push_back(std::move(translator));
    }
    return static_cast<int>(installed.size());
}

} // namespace celdara
