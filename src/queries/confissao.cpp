#include "queries/confissao.h"

namespace kq::queries {

bool confissaoDivida(const QString &cdAcordo)
{
    Q_UNUSED(cdAcordo);
    return false;
}

} // namespace kq::queries
