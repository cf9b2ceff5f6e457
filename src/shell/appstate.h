#pragma once

#include <QString>

namespace kq::platform {
class DBCombo;
}

namespace kq::shell {

class fprincipal;

// The main window's shared instance (loaded, hidden, on first use).
fprincipal *mainWindow();

// Text of the main window's first status-bar panel: the data folder.
QString dataFolder();
// dataFolder() + "/" + fileName ("devolvidos.mdb", "MENU.mdb", ...).
QString dataPath(const QString &fileName);

// The logged-in user, held by the main window's labels.
QString usuarioLogado();
QString codigoUser();
void setUsuarioLogado(const QString &nome, const QString &codigo);
// Shows the logged-in user in a list of users, chosen by code, so that a
// user whose name another user shares is still the one shown.
void showUsuarioLogado(kq::platform::DBCombo *users);

} // namespace kq::shell
