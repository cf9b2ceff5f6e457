#pragma once

#include "data/recordset.h"
#include "platform/screen.h"

#include <QPair>
#include <QVariant>
#include <QVector>
#include <functional>

class QColor;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace kq::platform {
class GridEX;
}

namespace kq::shell {

// Field values of one write, in the order they are set.
using FieldValues = QVector<QPair<QString, QVariant>>;
// Gives the values of a write once the record to write is known; it may
// throw, and then nothing is written.
using FieldSource = std::function<FieldValues()>;

// The record rules of a register on its data control: the system's key rule
// and include, alter and delete of the record named by a key. Every look-up
// binds the key as a value, so a key holding a quote finds exactly that key
// or nothing.
class RegisterTable
{
public:
    // keyWidth 0: keys are typed by the user, not generated.
    RegisterTable(const QString &keyField, int keyWidth);

    kq::data::Recordset &recordset() { return m_data; }
    const kq::data::Recordset &recordset() const { return m_data; }
    QString keyField() const { return m_keyField; }
    int keyWidth() const { return m_keyWidth; }

    // Sets database and record source (ordered by the key) and opens it.
    void open(const QString &databaseName, const QString &recordSource);
    void refresh();

    // The last key in key order plus one at the key width, or the first key
    // of an empty table ("001"). After "999" it gives "1000". Throws when the
    // last key is not a number.
    QString nextKey();

    // Makes the record with this key current; false when no record of the
    // table has it (the current record is then left alone).
    bool find(const QString &key);
    bool exists(const QString &key) const;

    // Adds a record with the key and the fields, only when no record has the
    // key yet; false (nothing written) when the key is taken.
    bool include(const QString &key, const FieldSource &fields);
    // Rewrites the record that has the key (key field included); false when
    // there is none.
    bool alter(const QString &key, const FieldSource &fields);
    // Deletes the record that has the key and no other; false when there is
    // none.
    bool remove(const QString &key);

private:
    bool findFresh(const QString &key);

    kq::data::Recordset m_data;
    QString m_keyField;
    int m_keyWidth;
};

// A register screen: a code box and the boxes of one table, the buttons
// "&Limpa Campos", "&Incluir", "&Alterar", "&Excluir" and "&Sair" in the frame
// "Opções", the list grid GridEX1 of every row and the data control Data1.
// A register configures its table, boxes and texts and overrides the steps
// in which it differs.
class RegisterScreen : public kq::platform::Screen
{
    Q_OBJECT
public:
    // Order of the five buttons in the frame.
    enum class ButtonOrder { ClearFirst, IncludeFirst };

    RegisterScreen(const QString &name, const QString &keyField, int keyWidth,
                   QWidget *parent = nullptr);

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label11 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *CONFIRMA = nullptr;
    QPushButton *alterar = nullptr;
    QPushButton *EXCLUIR = nullptr;
    QPushButton *Command1 = nullptr;
    kq::platform::GridEX *GridEX1 = nullptr;
    RegisterTable Data1;

    // The box that holds the key and the box named by LimpaCampos' focus.
    QLineEdit *codeBox() const { return m_codeBox; }

    // Handlers.
    void CONFIRMA_Click();
    void alterar_Click();
    void EXCLUIR_Click();
    void Command2_Click();         // "Limpa Campos"
    virtual void Command1_Click(); // "Sair"
    // The grid's current row changed: show the record it names.
    void GridEX1_RowChange();

    virtual void LimpaCampos();
    virtual void MostraRegistro();

    // The deletion question's fixed text.
    static QString deleteQuestion();

protected:
    // ---- Building ----------------------------------------------------------
    // The form area above the buttons, the whole screen's layout.
    QGridLayout *fieldsLayout() const { return m_fields; }
    QVBoxLayout *mainLayout() const { return m_main; }
    void setButtonOrder(ButtonOrder order);

    // The code box with its label "Código      :" and the hint beside it
    // (both on the pale red), at a row of the form area.
    QLineEdit *addCodeBox(const QString &boxName, const QString &hint, int row);
    // A label and a text box at (row, column) of the form area; maxLength 0
    // means no limit. The label is the box's buddy.
    QLineEdit *addTextBox(const QString &labelText, const QString &boxName, int maxLength, int row,
                          int column = 0, int span = 1);
    QComboBox *addComboBox(const QString &labelText, const QString &boxName, bool editable, int row,
                           int column = 0);
    QLabel *addLabel(const QString &text, const QString &name, int row, int column);
    // A box made by the register that holds the key.
    void setCodeBox(QLineEdit *box) { m_codeBox = box; }
    // The standard two boxes of a code table: code (with hint) and
    // description ("Descrição :"), the description getting the colour given.
    QLineEdit *addStandardBoxes(const QString &codeName, const QString &descName,
                                const QString &hint, const QColor &descColor);

    // Box shown and written as text for a field (MostraRegistro and the
    // default fields of include and alter). The first bound box is the key.
    void bindField(const QString &field, QWidget *box);
    // The box LimpaCampos focuses.
    void setFocusBox(QWidget *box) { m_focusBox = box; }
    // Field whose text follows the deletion question.
    void setQuestionField(const QString &field) { m_questionField = field; }
    // Grid column (from 1) holding the key of a row.
    void setRowKeyColumn(int column) { m_rowKeyColumn = column; }
    int rowKeyColumn() const { return m_rowKeyColumn; }
    // The pattern's tab order: first box, code box, "&Sair", "&Incluir",
    // "&Alterar", "&Excluir", the grid, "&Limpa Campos".
    void setPatternTabOrder(const QList<QWidget *> &boxes);

    // ---- Loading -----------------------------------------------------------
    // Binds the list grid and Data1 to "devolvidos.mdb" of the data folder.
    void bindViews(const QString &listSource, const QString &dataSource);
    // Refreshes Data1, rebinds and refreshes the grid.
    void refreshViews();

    // ---- Steps a register may change ---------------------------------------
    // The key of an include: generated by Data1 unless a register types it.
    virtual QString newKey();
    // Checked after the key is in the code box; false ends the include there.
    virtual bool includeAllowed() { return true; }
    // Checked before an alter; false ends it, nothing written or cleared.
    virtual bool alterAllowed() { return true; }
    // Values written by include and alter (key field excluded); may throw.
    virtual FieldValues includeFields();
    virtual FieldValues alterFields();
    // Run where the record is about to be added or edited.
    virtual void beforeInclude() {}
    virtual void beforeAlter() {}
    // Run after a record was added.
    virtual void afterInclude(const QString &key) { Q_UNUSED(key); }
    // Text after the deletion question for the current record of Data1.
    virtual QString deleteName();
    // Run after the record of a newly chosen row was shown.
    virtual void afterRowChange(const QString &key) { Q_UNUSED(key); }

    // The values of the bound boxes, as text.
    FieldValues boundFields() const;
    // Runs one step under the error trap of this screen.
    bool step(const std::function<void()> &fn);
    // The screen's caption, as the error report names the procedure.
    void enterProcedure();

    // Text of a box (line edit, masked box, combo).
    static QString boxText(const QWidget *box);
    static void setBoxText(QWidget *box, const QString &text);
    static void setBoxColor(QWidget *box, const QColor &color);
    static QColor boxColor(const QWidget *box);

private:
    void buildFrame();
    void placeButtons();

    QVBoxLayout *m_main = nullptr;
    QGridLayout *m_fields = nullptr;
    QLineEdit *m_codeBox = nullptr;
    QLineEdit *m_descBox = nullptr;
    QWidget *m_focusBox = nullptr;
    QVector<QPair<QString, QWidget *>> m_bindings;
    QString m_questionField;
    int m_rowKeyColumn = 1;
    ButtonOrder m_buttonOrder = ButtonOrder::ClearFirst;
};

// A number typed in a box, for a REAL field: throws a type-mismatch error
// naming the box when the text is not a number (empty included).
QVariant numberField(const QString &text, const QString &boxName);
// The same for a whole number (INTEGER field).
QVariant wholeNumberField(const QString &text, const QString &boxName);
// A stored number as the box shows it ("2,5"); "" for Null.
QString numberText(const QVariant &value);

} // namespace kq::shell
