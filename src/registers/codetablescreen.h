#pragma once

#include "shell/services/registerscreen.h"

#include <QColor>

namespace kq::registers {

// What tells one code-table register from another.
struct CodeTable
{
    QString name;          // screen name ("fdestinos")
    QString caption;       // "Cadastro de Destinos"
    bool captionOnLoad;    // set as the last step of loading
    QString keyField;      // "CD_destino"
    int keyWidth;          // 3
    QString descField;     // "DS_destino"
    QString codeBox;       // "cd_destino"
    QString descBox;       // "ds_destino"
    QString listSource;    // the grid's record source, by description
    QString dataSource;    // Data1's record source, by key
    QString questionField; // named after the deletion question
    QColor descColor;      // background of the description box
    QString hint = QStringLiteral("Não Usar preenchido automáticamente na inclusão");
    kq::shell::RegisterScreen::ButtonOrder buttons
        = kq::shell::RegisterScreen::ButtonOrder::ClearFirst;
};

// A register of a key and a description.
class CodeTableScreen : public kq::shell::RegisterScreen
{
    Q_OBJECT
public:
    explicit CodeTableScreen(const CodeTable &table, QWidget *parent = nullptr);

    QLineEdit *descBox() const { return m_desc; }

protected:
    // Binds the views (and sets a caption given on loading).
    void formLoad();

private:
    CodeTable m_table;
    QLineEdit *m_desc = nullptr;
};

} // namespace kq::registers
