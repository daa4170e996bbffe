#pragma once

namespace thornvale {

// Installs Qt's own Korean texts (qtbase_ko from Qt's translations folder): every word the
// program shows is Korean, the OK button of a message box included ("확인"), whatever the
// system's language. False, and Qt's English, when the translation is not installed.
bool InstallQtKorean();

} // namespace thornvale
