#include "registers/screens.h"

#include "platform/screenregistry.h"
#include "registers/fcontas.h"
#include "registers/fcorrecao.h"
#include "registers/fdestinos.h"
#include "registers/fdocumentos.h"
#include "registers/ffornecedores.h"
#include "registers/flojas.h"
#include "registers/fsituacao.h"

namespace kq::registers {

void registerScreens()
{
    auto &r = kq::platform::ScreenRegistry::instance();
    r.registerScreen(QStringLiteral("ffornecedores"), [] { return new ffornecedores; });
    r.registerScreen(QStringLiteral("flojas"), [] { return new flojas; });
    r.registerScreen(QStringLiteral("fdestinos"), [] { return new fdestinos; });
    r.registerScreen(QStringLiteral("fsituacao"), [] { return new fsituacao; });
    r.registerScreen(QStringLiteral("fcontas"), [] { return new fcontas; });
    r.registerScreen(QStringLiteral("fdocumentos"), [] { return new fdocumentos; });
    r.registerScreen(QStringLiteral("fcorrecao"), [] { return new fcorrecao; });
}

} // namespace kq::registers
