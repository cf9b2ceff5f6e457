#include "registers/fcontas.h"

namespace kq::registers {

namespace {
CodeTable table()
{
    CodeTable t;
    t.name = QStringLiteral("fcontas");
    t.caption = QStringLiteral("Cadastro de Contas");
    t.captionOnLoad = false;
    t.keyField = QStringLiteral("CD_domicilio");
    t.keyWidth = 3;
    t.descField = QStringLiteral("nm_domicilio");
    t.codeBox = QStringLiteral("cd_domicilio");
    t.descBox = QStringLiteral("nm_domicilio");
    t.listSource = QStringLiteral("SELECT * FROM domicilios order by nm_domicilio");
    t.dataSource = QStringLiteral("select * from  domicilios order by cd_domicilio");
    t.questionField = QStringLiteral("nm_domicilio");
    t.descColor = QColor(192, 255, 255);
    return t;
}
} // namespace

fcontas::fcontas(QWidget *parent)
    : CodeTableScreen(table(), parent)
    , cd_domicilio(codeBox())
    , nm_domicilio(descBox())
{
    formLoad();
}

} // namespace kq::registers
