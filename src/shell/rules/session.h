#pragma once

#include <QString>

namespace kq::shell {

// Who works on which data: the data folder named by sys.ini, set at start-up,
// and the user the login accepted. The main window only shows it.
struct Session
{
    QString dataFolder;
    QString usuario;
    QString codigoUsuario;
};

// The program's one session.
Session &session();

} // namespace kq::shell
