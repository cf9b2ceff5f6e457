#include "data/recordset.h"
#include "data/recordset_p.h"

#include "data/database.h"
#include "data/jetsql.h"
#include "data/sourceshape_p.h"

namespace kq::data {

using internal::shapeOf;
using internal::SourceShape;
using internal::SourceTable;
using internal::unquoteName;
using namespace internal;

namespace internal {

QString hiddenName(int i)
{
    return QStringLiteral("kq__rowid_%1").arg(i);
}

DataError writeError(const QString &text)
{
    return DataError(ErrorNumber::WriteFailed, text, kSource);
}

} // namespace internal

Recordset::Recordset(const QString &databaseName, const RecordSource &recordSource)
    : m_databaseName(databaseName)
    , m_recordSource(recordSource)
{}

void Recordset::setDatabaseName(const QString &path)
{
    m_databaseName = path;
    m_loaded = false;
}

void Recordset::setRecordSource(const RecordSource &source)
{
    m_recordSource = source;
    m_loaded = false;
}

void Recordset::refresh()
{
    load();
}

void Recordset::ensureLoaded() const
{
    if (!m_loaded)
        const_cast<Recordset *>(this)->load();
}

void Recordset::load()
{
    discardEdit();
    m_noMatch = false;
    const QString sql = translateJet(m_recordSource.sql);
    const SourceShape shape = shapeOf(sql);
    if (dialectOf(m_databaseName) == Dialect::Postgres)
        loadServerSource(sql, shape);
    else
        loadSqliteSource(sql, shape);
}

bool Recordset::eof() const
{
    ensureLoaded();
    return m_rowStart.isEmpty() || m_pos >= m_rowStart.size();
}

bool Recordset::bof() const
{
    ensureLoaded();
    return m_rowStart.isEmpty() || m_pos < 0;
}

int Recordset::recordCount() const
{
    ensureLoaded();
    return int(m_rowStart.size());
}

void Recordset::moveFirst()
{
    ensureLoaded();
    discardEdit();
    m_pos = 0;
}

void Recordset::moveLast()
{
    ensureLoaded();
    discardEdit();
    m_pos = m_rowStart.isEmpty() ? 0 : int(m_rowStart.size()) - 1;
}

void Recordset::moveNext()
{
    if (eof())
        throw DataError(ErrorNumber::NoCurrentRecord, QStringLiteral("Nenhum registro atual."),
                        kSource);
    discardEdit();
    ++m_pos;
}

void Recordset::movePrevious()
{
    if (bof())
        throw DataError(ErrorNumber::NoCurrentRecord, QStringLiteral("Nenhum registro atual."),
                        kSource);
    discardEdit();
    --m_pos;
}

void Recordset::moveTo(int row)
{
    ensureLoaded();
    discardEdit();
    m_pos = qBound(-1, row, int(m_rowStart.size()));
}

void Recordset::requireCurrent() const
{
    if (eof() || bof())
        throw DataError(ErrorNumber::NoCurrentRecord, QStringLiteral("Nenhum registro atual."),
                        kSource);
}

int Recordset::fieldIndex(const QString &name) const
{
    ensureLoaded();
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0) {
        const QString table = unquoteName(name.left(dot));
        const QString field = unquoteName(name.mid(dot + 1));
        for (int i = 0; i < m_columns.size(); ++i) {
            const Column &c = m_columns[i];
            if (c.table.compare(table, Qt::CaseInsensitive) == 0
                && (c.origin.compare(field, Qt::CaseInsensitive) == 0
                    || c.name.compare(field, Qt::CaseInsensitive) == 0))
                return i;
        }
    }
    return -1;
}

int Recordset::requireField(const QString &name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw DataError(
            ErrorNumber::UnknownField,
            QStringLiteral("Item não encontrado nesta coleção: campo \"%1\".").arg(name), kSource);
    return i;
}

int Recordset::fieldCount() const
{
    ensureLoaded();
    return int(m_columns.size());
}

QStringList Recordset::fieldNames() const
{
    ensureLoaded();
    QStringList names;
    for (const Column &c : m_columns)
        names << c.name;
    return names;
}

void Recordset::addNew()
{
    ensureLoaded();
    m_pending.clear();
    m_mode = Mode::Adding;
}

void Recordset::edit()
{
    requireCurrent();
    m_pending.clear();
    m_mode = Mode::Editing;
}

void Recordset::setField(const QString &fieldName, const QVariant &value)
{
    if (m_mode == Mode::None)
        throw DataError(ErrorNumber::NoEditMode, QStringLiteral("Atualização sem AddNew ou Edit."),
                        kSource);
    const int col = requireField(fieldName);
    const Column &c = m_columns[col];
    if (c.table.isEmpty())
        throw writeError(QStringLiteral("O campo \"%1\" não pode ser alterado.").arg(fieldName));
    const QVariant v = internal::normalise(value);
    for (auto &p : m_pending) {
        if (p.first == col) {
            p.second = v;
            return;
        }
    }
    m_pending.push_back({col, v});
}

void Recordset::cancelUpdate()
{
    discardEdit();
}

void Recordset::discardEdit()
{
    m_mode = Mode::None;
    m_pending.clear();
}

void Recordset::update()
{
    if (m_mode == Mode::None)
        throw DataError(ErrorNumber::NoEditMode, QStringLiteral("Atualização sem AddNew ou Edit."),
                        kSource);
    if (m_mode == Mode::Editing)
        updateCurrent();
    else
        insertNew();
}

int Recordset::tableKey(const QString &table) const
{
    int found = -1;
    for (int i = 0; i < m_keys.size(); ++i) {
        if (m_keys[i].name.compare(table, Qt::CaseInsensitive) == 0) {
            if (found >= 0)
                return -1; // the table is named twice: which row is meant is unclear
            found = i;
        }
    }
    return found >= 0 && m_keys[found].cellCount > 0 ? found : -1;
}

QString Recordset::baseTable() const
{
    const SourceShape shape = shapeOf(translateJet(m_recordSource.sql));
    return shape.tables.isEmpty() ? QString() : shape.tables.first().name;
}

} // namespace kq::data
