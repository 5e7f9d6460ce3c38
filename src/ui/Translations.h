#pragma once

class QApplication;

namespace slip {

// Loads Qt's own Chinese texts, so the standard dialogs (file dialog, OK and
// Cancel of input boxes) speak the program's language.
void InstallTranslations(QApplication& app);

} // namespace slip
