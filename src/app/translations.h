// The user interface in the user's language: English is built in, Japanese comes from the
// translation compiled into the program's resources.
#pragma once

#include <QLocale>

#include <memory>
#include <vector>

class QTranslator;

namespace spectrel {

// Loads and installs the program's translation for the locale, and Qt's own for the standard
// dialogs when one is installed on the system. Empty for English or when nothing is found. The
// translators stay installed until the returned objects are destroyed.
std::vector<std::unique_ptr<QTranslator>> InstallTranslations(const QLocale& locale);

}  // namespace spectrel
