#include "shell/monetaryupdate.h"

namespace kq::shell {

void AtualizarValores(const QString &)
{
}

} // namespace kq::shell
