#include "registers/fdocumentos.h"

namespace kq::registers {

namespace {
CodeTable table()
{
    CodeTable t;
    t.name = QStringLiteral("fdocumentos");
    t.caption = QStringLiteral(" Tabela de Documentos");
    t.captionOnLoad = true;
    t.keyField = QStringLiteral("CD_documento");
    t.keyWidth = 2;
    t.descField = QStringLiteral("DS_documento");
    t.codeBox = QStringLiteral("cd_documento");
    t.descBox = QStringLiteral("ds_documento");
    t.listSource = QStringLiteral("SELECT * FROM documentos order by ds_documento");
    t.dataSource = QStringLiteral("select * from  documentos order by cd_documento");
    t.questionField = QStringLiteral("ds_documento");
    t.descColor = QColor(192, 255, 255);
    return t;
}
} // namespace

fdocumentos::fdocumentos(QWidget *parent)
    : CodeTableScreen(table(), parent)
    , cd_documento(codeBox())
    , ds_documento(descBox())
{
    formLoad();
}

} // namespace kq::registers
