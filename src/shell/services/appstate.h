#pragma once

#include <QString>

namespace kq::platform {
class DBCombo;
}

namespace kq::shell {

// The session's data folder, and the files in it.
QString dataFolder();
// dataFolder() + "/" + fileName ("devolvidos.mdb", "MENU.mdb", ...).
QString dataPath(const QString &fileName);

// The session's logged-in user; setting it also shows it on the main window
// when that is loaded.
QString usuarioLogado();
QString codigoUser();
void setUsuarioLogado(const QString &nome, const QString &codigo);
// Shows the logged-in user in a list of users, chosen by code, so that a
// user whose name another user shares is still the one shown.
void showUsuarioLogado(kq::platform::DBCombo *users);

} // namespace kq::shell
