#pragma once

#include <QString>

namespace kq::shell {

// "Atualizar Valores": brings every cheque's corrected value to the newest
// correction factor of the data folder's database.
void AtualizarValores(const QString &dataFolder);

} // namespace kq::shell
