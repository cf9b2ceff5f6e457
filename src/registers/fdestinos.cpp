#include "registers/fdestinos.h"

namespace kq::registers {

namespace {
CodeTable table()
{
    CodeTable t;
    t.name = QStringLiteral("fdestinos");
    t.caption = QStringLiteral("Cadastro de Destinos");
    t.captionOnLoad = false;
    t.keyField = QStringLiteral("CD_destino");
    t.keyWidth = 3;
    t.descField = QStringLiteral("DS_destino");
    t.codeBox = QStringLiteral("cd_destino");
    t.descBox = QStringLiteral("ds_destino");
    t.listSource = QStringLiteral("SELECT * FROM destinos order by ds_destino");
    t.dataSource = QStringLiteral("select * from  destinos order by cd_destino");
    t.questionField = QStringLiteral("ds_destino");
    t.descColor = QColor(128, 255, 255);
    return t;
}
} // namespace

fdestinos::fdestinos(QWidget *parent)
    : CodeTableScreen(table(), parent)
    , cd_destino(codeBox())
    , ds_destino(descBox())
{
    formLoad();
}

} // namespace kq::registers
