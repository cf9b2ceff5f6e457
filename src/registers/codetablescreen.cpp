#include "registers/codetablescreen.h"

#include "platform/grid/gridex.h"

#include <QLineEdit>

namespace kq::registers {

CodeTableScreen::CodeTableScreen(const CodeTable &table, QWidget *parent)
    : RegisterScreen(table.name, table.keyField, table.keyWidth, parent)
    , m_table(table)
{
    setTwipsSize(8400, 6600);
    if (!table.captionOnLoad)
        setWindowTitle(table.caption);
    setButtonOrder(table.buttons);
    m_desc = addStandardBoxes(table.codeBox, table.descBox, table.hint, table.descColor);
    GridEX1->addColumn(table.codeBox, QStringLiteral("Código"), 80);
    GridEX1->addColumn(table.descBox, QStringLiteral("Descrição"), 320);
    bindField(table.keyField, codeBox());
    bindField(table.descField, m_desc);
    setQuestionField(table.questionField);
    setPatternTabOrder({m_desc, codeBox()});
}

void CodeTableScreen::formLoad()
{
    bindViews(m_table.listSource, m_table.dataSource);
    if (m_table.captionOnLoad)
        setWindowTitle(m_table.caption);
}

} // namespace kq::registers
