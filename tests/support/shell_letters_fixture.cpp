#include "support/shell_letters_fixture.h"

#include "platform/grid/gridex.h"
#include "platform/screenregistry.h"

#include <QPushButton>

namespace kq::test {

void followUpDebtor(const QString &debtor)
{
    auto &reg = kq::platform::ScreenRegistry::instance();
    auto *debtors = reg.show(QStringLiteral("fvantesca"))
                        ->findChild<kq::platform::GridEX *>(QStringLiteral("GridEX2"));
    debtors->setCurrentRow(debtors->findRow(2, debtor));
}

QWidget *openLetterScreen()
{
    auto &reg = kq::platform::ScreenRegistry::instance();
    reg.show(QStringLiteral("fvantesca"))
        ->findChild<QPushButton *>(QStringLiteral("Command1"))
        ->click();
    return reg.find(QStringLiteral("frelatorioscartas"));
}

} // namespace kq::test
