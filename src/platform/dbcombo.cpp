#include "platform/dbcombo.h"

#include "data/database.h"
#include "data/jetsql.h"

#include <QLineEdit>
#include <QSqlQuery>
#include <QSqlRecord>

namespace kq::platform {

LookupRows readLookupRows(const QString &databaseName, const QString &rowSource,
                          const QString &listField, const QString &boundColumn)
{
    LookupRows rows;
    QSqlQuery q = kq::data::exec(databaseName, kq::data::translateJet(rowSource));
    const QSqlRecord rec = q.record();
    const int shown = rec.indexOf(listField);
    const int bound = boundColumn.isEmpty() ? shown : rec.indexOf(boundColumn);
    while (q.next()) {
        rows.texts << (shown >= 0 ? q.value(shown).toString() : QString());
        rows.bound << (bound >= 0 ? q.value(bound) : QVariant());
    }
    return rows;
}

DBCombo::DBCombo(QWidget *parent)
    : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
}

void DBCombo::refresh()
{
    const QString shown = currentText();
    const LookupRows rows = readLookupRows(m_databaseName, m_rowSource, m_listField,
                                           m_boundColumn);
    blockSignals(true);
    clear();
    for (int i = 0; i < rows.texts.size(); ++i)
        addItem(rows.texts.at(i), rows.bound.at(i));
    setText(shown);
    blockSignals(false);
}

QString DBCombo::boundText() const
{
    const int i = findText(currentText(), Qt::MatchFixedString);
    if (i < 0 || currentText().isEmpty())
        return QString();
    return itemData(i).toString();
}

void DBCombo::setBoundText(const QString &key)
{
    const int i = findData(key);
    if (i < 0) {
        setText(QString());
        return;
    }
    setCurrentIndex(i);
}

void DBCombo::setText(const QString &text)
{
    const int i = findText(text, Qt::MatchFixedString);
    if (i >= 0)
        setCurrentIndex(i);
    else {
        setCurrentIndex(-1);
        if (lineEdit())
            lineEdit()->setText(text);
    }
}

DBList::DBList(QWidget *parent)
    : QListWidget(parent)
{
}

void DBList::refresh()
{
    const QString key = boundText();
    const LookupRows rows = readLookupRows(m_databaseName, m_rowSource, m_listField,
                                           m_boundColumn);
    clear();
    for (int i = 0; i < rows.texts.size(); ++i) {
        auto *item = new QListWidgetItem(rows.texts.at(i), this);
        item->setData(Qt::UserRole, rows.bound.at(i));
    }
    if (!key.isEmpty())
        setBoundText(key);
}

QString DBList::boundText() const
{
    const QListWidgetItem *item = currentItem();
    return item ? item->data(Qt::UserRole).toString() : QString();
}

void DBList::setBoundText(const QString &key)
{
    for (int i = 0; i < count(); ++i) {
        if (item(i)->data(Qt::UserRole).toString() == key) {
            setCurrentRow(i);
            return;
        }
    }
    setCurrentRow(-1);
}

QString DBList::text() const
{
    const QListWidgetItem *item = currentItem();
    return item ? item->text() : QString();
}

} // namespace kq::platform
