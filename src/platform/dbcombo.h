#pragma once

#include <QComboBox>
#include <QListWidget>
#include <QVariant>

namespace kq::platform {

// Rows of a look-up list: the text shown and the bound value of each row.
struct LookupRows
{
    QStringList texts;
    QVariantList bound;
};

// Reads a row source (Jet SQL) of a database: listField shown, boundColumn
// kept. Throws kq::data::DataError when the source fails.
LookupRows readLookupRows(const QString &databaseName, const QString &rowSource,
                          const QString &listField, const QString &boundColumn);

// Data-bound combo: the user picks (or types) a row; boundText() is the key
// of the chosen row, text() the text shown. Rows may share a text (two
// debtors of the same name): the key is always the one of the row picked in
// the list or set by the program, never the first row with that text.
class DBCombo : public QComboBox
{
    Q_OBJECT
public:
    explicit DBCombo(QWidget *parent = nullptr);

    void setDatabaseName(const QString &path) { m_databaseName = path; }
    void setRowSource(const QString &jetSql) { m_rowSource = jetSql; }
    void setListField(const QString &field) { m_listField = field; }
    void setBoundColumn(const QString &field) { m_boundColumn = field; }
    // Reads the rows again, keeping the row chosen (or the text typed).
    void refresh();

    // Key of the row the text shown names: the row picked or set while its
    // own text is shown, else the one row whose text equals the typed text
    // (as the database compares texts: case aside, accents counting). ""
    // when the text names no row, or several and none was picked.
    QString boundText() const;
    // True when the typed text names several rows and none of them was picked.
    bool isAmbiguous() const;
    // Shows the row with that key (text emptied when none has it).
    void setBoundText(const QString &key);
    QString text() const { return currentText(); }
    // Shows the one row with that text, or the text alone when it names no
    // row or several.
    void setText(const QString &text);

private:
    // Rows whose text equals the text given, as the database compares.
    QList<int> rowsNamed(const QString &text) const;
    bool currentRowShown() const;

private:
    QString m_databaseName;
    QString m_rowSource;
    QString m_listField;
    QString m_boundColumn;
};

// Data-bound list.
class DBList : public QListWidget
{
    Q_OBJECT
public:
    explicit DBList(QWidget *parent = nullptr);

    void setDatabaseName(const QString &path) { m_databaseName = path; }
    void setRowSource(const QString &jetSql) { m_rowSource = jetSql; }
    void setListField(const QString &field) { m_listField = field; }
    void setBoundColumn(const QString &field) { m_boundColumn = field; }
    void refresh();

    QString boundText() const;
    void setBoundText(const QString &key);
    QString text() const;

private:
    QString m_databaseName;
    QString m_rowSource;
    QString m_listField;
    QString m_boundColumn;
};

// Asks the user, through the dialog layer, to choose in the list of the first
// combo whose typed text names several rows, and puts the focus there.
// True when every combo names one row or none.
bool choicesAreClear(const QList<DBCombo *> &combos);

} // namespace kq::platform
