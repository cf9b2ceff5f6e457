#pragma once

#include "support/base_dialogs.h"
#include "support/base_folders.h"

namespace kq::shell {
class fprincipal;
}

namespace kq::test {

// A ready data folder, sys.ini, the main window loaded (hidden) and a user
// logged in; every screen is unloaded and every database closed at the end.
class ShellFixture
{
public:
    explicit ShellFixture(const QString &usuario = QStringLiteral("SUPERVISOR"),
                          const QString &codigo = QStringLiteral("001"));
    ~ShellFixture();

    TempFolders folders;
    ScriptedDialogs dialogs;
    kq::shell::fprincipal *main = nullptr;

    QString devolvidos() const;
};

// Registers every screen of the program (once per test process).
void registerAllScreens();

} // namespace kq::test
