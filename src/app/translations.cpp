#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace spectrel {

std::vector<std::unique_ptr<QTranslator>> InstallTranslations(const QLocale& locale) {
  std::vector<std::unique_ptr<QTranslator>> installed;
  if (locale.language() == QLocale::English || locale.language() == QLocale::C) return installed;
  auto own = std::make_unique<QTranslator>();
  if (!own->load(locale, QStringLiteral("spectrel"), QStringLiteral("_"), QStringLiteral(":/i18n"))) return installed;
  // Qt's texts of the colour chooser, folder browser and message boxes, when present.
  auto qt = std::make_unique<QTranslator>();
  if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
               QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(qt.get());
    installed.push_back(std::move(qt));
  }
  QCoreApplication::installTranslator(own.get());
  installed.push_back(std::move(own));
  return installed;
}

}  // namespace spectrel
