#pragma once

#include "data/recordsource.h"
#include "platform/screen.h"

#include <QString>

class QCheckBox;
class QGridLayout;
class QGroupBox;
class QPushButton;
class QResizeEvent;

namespace kq::platform {
class GridEX;
class GridRow;
} // namespace kq::platform

namespace kq::queries {

// Page footer text at position 3 while page `page` of `pageCount` prints.
QString pageFooterText(int page, int pageCount);
// A group header of the cheque query: the grid's caption and the group's
// cheque total.
QString chequeGroupCaption(const QString &caption, double valor);
// A group header of the instalment query: instalment and fee totals.
QString instalmentGroupCaption(const QString &caption, double valor, double honorarios);

// The grid-query screens: one large grid over "devolvidos.mdb" and a panel
// that prints or previews it, chooses its columns, groups it, saves and loads
// its layout, lists everything again ("Todos"), opens the filter dialog and
// closes. Each query screen derives from it and binds its own grid.
class QueryScreen : public kq::platform::Screen
{
    Q_OBJECT
public:
    QueryScreen(const QString &name, const QString &filterScreen, QWidget *parent = nullptr);

    // Points the grid at the data folder's database, gives it the record
    // source and reads it. A failure is reported and the grid keeps its rows.
    bool applyRecordSource(const kq::data::RecordSource &source);
    // The print options of the panel (page grouping, repeated headers, grid
    // lines, the date and time in the footer); printing also zeroes the
    // numeric option.
    void setPrintOptions(bool forPrinting);

    kq::platform::GridEX *GridEX1 = nullptr;
    kq::platform::GridEX *GridEX2 = nullptr;
    kq::platform::GridEX *GridEX3 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QPushButton *cmdPrint = nullptr;
    QPushButton *cmdPrintPreview = nullptr;
    QCheckBox *Check1 = nullptr;
    QCheckBox *Check2 = nullptr;
    QCheckBox *Check3 = nullptr;
    QCheckBox *Check4 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command5 = nullptr;
    QPushButton *Command6 = nullptr;
    QPushButton *Command7 = nullptr;
    QPushButton *Command8 = nullptr;
    QPushButton *Command1 = nullptr;

protected:
    // The list of the screen when it loads; "Todos" uses allQuery(), the
    // same by default.
    virtual QString loadQuery() const = 0;
    virtual QString allQuery() const { return loadQuery(); }
    // Row styles and group captions; nothing by default.
    virtual void formatRow(kq::platform::GridRow &row);

    // Binds the grid to the load query (the screens' Form_Load).
    void bindLoadQuery();
    // A drop-down grid with the columns "CODIGO" and "Descrição" over a table.
    void bindDropDown(kq::platform::GridEX *grid, const QString &codeField,
                      const QString &descriptionField, const QString &source);
    // A further button on the panel's first row.
    QPushButton *addPanelButton(const QString &name, const QString &caption);
    QString databasePath() const;

    void resizeEvent(QResizeEvent *event) override;

private:
    void cmdPrint_Click();
    void cmdPrintPreview_Click();
    void Command2_Click(); // "Escolher Campos"
    void Command7_Click(); // "Todos"
    void Command8_Click(); // "Filtros"
    void SalvaLayout();
    void LeLayout();
    QPushButton *makeButton(const QString &name, const QString &caption, int row, int column);

    QString m_name;
    QString m_filterScreen;
    QGridLayout *m_panel = nullptr;
    int m_extraButtons = 0;
};

} // namespace kq::queries
