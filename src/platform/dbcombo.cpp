#include "platform/dbcombo.h"

#include "data/collation.h"
#include "data/database.h"
#include "data/jetsql.h"
#include "platform/dialogs.h"

#include <QLineEdit>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardItemModel>

namespace kq::platform {

namespace {

bool sameText(const QString &a, const QString &b)
{
    return kq::data::compareText(a, b) == 0;
}

// The rows of a combo. The combo's own look-ups by text (when the box is
// left or Enter is pressed) find a row only when one row alone has that
// text: a name that several rows share never picks the first of them.
class LookupModel : public QStandardItemModel
{
public:
    using QStandardItemModel::QStandardItemModel;

    QModelIndexList match(const QModelIndex &start, int role, const QVariant &value, int hits,
                          Qt::MatchFlags flags) const override
    {
        const Qt::MatchFlags type = flags & Qt::MatchTypeMask;
        if (role != Qt::DisplayRole || (type != Qt::MatchFixedString && type != Qt::MatchExactly)
            || value.typeId() != QMetaType::QString)
            return QStandardItemModel::match(start, role, value, hits, flags);
        const QString text = value.toString();
        const bool caseSensitive = flags.testFlag(Qt::MatchCaseSensitive);
        QModelIndexList found;
        for (int r = 0; r < rowCount(start.parent()); ++r) {
            const QModelIndex i = index(r, start.column(), start.parent());
            const QString row = i.data().toString();
            if (caseSensitive ? row == text : sameText(row, text))
                found << i;
        }
        return found.size() == 1 ? found : QModelIndexList();
    }
};

} // namespace

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
    setModel(new LookupModel(this));
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
}

void DBCombo::refresh()
{
    const QString shown = currentText();
    const bool picked = currentRowShown();
    const QVariant key = picked ? itemData(currentIndex()) : QVariant();
    const LookupRows rows = readLookupRows(m_databaseName, m_rowSource, m_listField, m_boundColumn);
    blockSignals(true);
    clear();
    for (int i = 0; i < rows.texts.size(); ++i)
        addItem(rows.texts.at(i), rows.bound.at(i));
    const int row = picked ? findData(key) : -1;
    if (row >= 0)
        setCurrentIndex(row);
    else
        setText(shown);
    blockSignals(false);
}

QList<int> DBCombo::rowsNamed(const QString &text) const
{
    QList<int> rows;
    for (int i = 0; i < count(); ++i) {
        if (sameText(itemText(i), text))
            rows << i;
    }
    return rows;
}

bool DBCombo::currentRowShown() const
{
    const int i = currentIndex();
    return i >= 0 && !currentText().isEmpty() && itemText(i) == currentText();
}

QString DBCombo::boundText() const
{
    if (currentText().isEmpty())
        return QString();
    if (currentRowShown())
        return itemData(currentIndex()).toString();
    const QList<int> rows = rowsNamed(currentText());
    return rows.size() == 1 ? itemData(rows.first()).toString() : QString();
}

bool DBCombo::isAmbiguous() const
{
    return !currentText().isEmpty() && !currentRowShown() && rowsNamed(currentText()).size() > 1;
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
    const int current = currentIndex();
    if (current >= 0 && !text.isEmpty() && itemText(current) == text) {
        if (lineEdit())
            lineEdit()->setText(text);
        return;
    }
    const QList<int> rows = text.isEmpty() ? QList<int>() : rowsNamed(text);
    if (rows.size() == 1) {
        setCurrentIndex(rows.first());
        return;
    }
    setCurrentIndex(-1);
    if (lineEdit())
        lineEdit()->setText(text);
}

bool choicesAreClear(const QList<DBCombo *> &combos)
{
    for (DBCombo *combo : combos) {
        if (!combo->isAmbiguous())
            continue;
        Dialogs::message(QStringLiteral("Há mais de um cadastro com o nome \"%1\". "
                                        "Escolha na lista o desejado.")
                             .arg(combo->text()));
        combo->setFocus();
        return false;
    }
    return true;
}

DBList::DBList(QWidget *parent)
    : QListWidget(parent)
{}

void DBList::refresh()
{
    const QString key = boundText();
    const LookupRows rows = readLookupRows(m_databaseName, m_rowSource, m_listField, m_boundColumn);
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
