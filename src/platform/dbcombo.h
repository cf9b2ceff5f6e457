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
// of the chosen row, text() the text shown.
class DBCombo : public QComboBox
{
    Q_OBJECT
public:
    explicit DBCombo(QWidget *parent = nullptr);

    void setDatabaseName(const QString &path) { m_databaseName = path; }
    void setRowSource(const QString &jetSql) { m_rowSource = jetSql; }
    void setListField(const QString &field) { m_listField = field; }
    void setBoundColumn(const QString &field) { m_boundColumn = field; }
    // Reads the rows again, keeping the text shown.
    void refresh();

    // Key of the row whose text is shown; "" when the text names no row.
    QString boundText() const;
    // Shows the row with that key (text emptied when none has it).
    void setBoundText(const QString &key);
    QString text() const { return currentText(); }
    void setText(const QString &text);

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

} // namespace kq::platform
