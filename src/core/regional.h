#pragma once

class QCoreApplication;
class QLocale;

namespace kq::platform {

// The program's regional settings: Brazilian Portuguese numbers, money, dates
// and week, whatever LANG and LC_* say on this machine.
QLocale brazilianLocale();

// Makes pt_BR the default locale (QLocale(), and so every widget made after)
// and loads Qt's own pt_BR texts (standard buttons, file, colour and print
// dialogs). Returns false when Qt's translations could not be loaded; the
// formats are set all the same.
bool useBrazilianSettings(QCoreApplication &app);

} // namespace kq::platform
