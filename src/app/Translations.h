// The interface texts in the user's language: the window's and the terminal's own
// translations, compiled into the program, and Qt's for its standard buttons where the
// system has them. English needs none.
#pragma once

#include <QLocale>

namespace celdara {

// Installs the translators for `locale` into the application; returns how many were found.
// Calling it again replaces those of the earlier call.
int InstallTranslations(const QLocale& locale = QLocale());

} // namespace celdara
