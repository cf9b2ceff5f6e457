#include "import/mapping.h"

#include "data/dataerror.h"
#include "data/datafolder.h"
#include "import/importerror.h"
#include "import/jetdate.h"
#include "core/format.h"
#include "platform/progress.h"

#include <QFile>
#include <QHash>
#include <QScopeGuard>
#include <QSet>

#include <sqlite3.h>

#include <cmath>
#include <condition_variable>
#include <deque>
#include <exception>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace kq::import {

namespace {

// How the program stores a field, from its declared type.
enum class Kind { Text, Date, Real, Integer, Boolean };

// A value as it is bound to the new database; texts in UTF-8, as stored.
struct SqlValue
{
    enum class Type : quint8 { Null, Integer, Real, Text };
    Type type = Type::Null;
    qint64 integer = 0;
    double real = 0;
    QByteArray text;

    // Set in place: the values of a batch of rows are written once each.
    void setNull() { type = Type::Null; }
    void setInteger(qint64 i)
    {
        type = Type::Integer;
        integer = i;
    }
    void setReal(double d)
    {
        type = Type::Real;
        real = d;
    }
    void setText(const QString &s)
    {
        type = Type::Text;
        text = s.toUtf8();
    }
    QString shown() const
    {
        switch (type) {
        case Type::Null:
            return QStringLiteral("vazio");
        case Type::Integer:
            return QString::number(integer);
        case Type::Real:
            return kq::platform::formatPlain(real);
        case Type::Text:
            return QString::fromUtf8(text);
        }
        return QString();
    }
};

struct TargetColumn
{
    QString name;
    Kind kind = Kind::Text;
    bool primaryKey = false;
    bool password = false;
    // The value a Null takes in a NOT NULL field with a default.
    std::optional<SqlValue> whenNull;
};

struct TargetTable
{
    QString name;
    QList<TargetColumn> columns;
};

// A field of the new table and where its value comes from.
struct Plan
{
    TargetColumn column;
    int source = -1;
};

QString key(const QString &name)
{
    return name.toCaseFolded();
}

QString quoted(const QString &name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\""))
           + QLatin1Char('"');
}

QString lastError(sqlite3 *db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

// A statement that finalises itself.
class Statement
{
public:
    Statement(sqlite3 *db, const QString &sql)
    {
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &m_stmt, nullptr) != SQLITE_OK)
            throw ImportError(QStringLiteral("Falha do banco novo: %1").arg(lastError(db)));
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    sqlite3_stmt *get() const { return m_stmt; }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

private:
    sqlite3_stmt *m_stmt = nullptr;
};

void exec(sqlite3 *db, const char *sql)
{
    char *err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        const QString text = err ? QString::fromUtf8(err) : lastError(db);
        sqlite3_free(err);
        throw ImportError(QStringLiteral("Falha do banco novo: %1").arg(text));
    }
}

Kind kindOf(const QString &declared)
{
    const QString t = declared.toUpper();
    if (t.contains(QLatin1String("DATE")))
        return Kind::Date;
    if (t.contains(QLatin1String("BOOL")))
        return Kind::Boolean;
    if (t.contains(QLatin1String("INT")))
        return Kind::Integer;
    if (t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA"))
        || t.contains(QLatin1String("DOUB")))
        return Kind::Real;
    return Kind::Text;
}

SqlValue columnValue(sqlite3_stmt *st, int i)
{
    SqlValue v;
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_INTEGER:
        v.setInteger(sqlite3_column_int64(st, i));
        break;
    case SQLITE_FLOAT:
        v.setReal(sqlite3_column_double(st, i));
        break;
    case SQLITE_NULL:
        break;
    default:
        v.type = SqlValue::Type::Text;
        v.text = QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(st, i)),
                            sqlite3_column_bytes(st, i));
    }
    return v;
}

QString columnText(sqlite3_stmt *st, int i)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, i)),
                             sqlite3_column_bytes(st, i));
}

// The program's tables, in the order the schema makes them.
QList<TargetTable> targetTables(sqlite3 *db)
{
    QList<TargetTable> tables;
    {
        Statement names(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                           "AND name NOT LIKE 'sqlite%' ORDER BY rowid"));
        while (sqlite3_step(names.get()) == SQLITE_ROW)
            tables.append({columnText(names.get(), 0), {}});
    }
    for (TargetTable &table : tables) {
        Statement info(db, QStringLiteral("PRAGMA table_info(%1)").arg(quoted(table.name)));
        while (sqlite3_step(info.get()) == SQLITE_ROW) {
            TargetColumn c;
            c.name = columnText(info.get(), 1);
            c.kind = kindOf(columnText(info.get(), 2));
            c.primaryKey = sqlite3_column_int(info.get(), 5) > 0;
            c.password = key(table.name) == key(QStringLiteral("usuarios"))
                         && key(c.name) == key(QStringLiteral("senha"));
            const bool notNull = sqlite3_column_int(info.get(), 3) != 0;
            const SqlValue dflt = columnValue(info.get(), 4);
            if (notNull && dflt.type == SqlValue::Type::Text) {
                // The default as SQL text ('' or 0): its value.
                Statement value(db, QStringLiteral("SELECT ") + QString::fromUtf8(dflt.text));
                if (sqlite3_step(value.get()) == SQLITE_ROW)
                    c.whenNull = columnValue(value.get(), 0);
            }
            table.columns.append(c);
        }
    }
    return tables;
}

// A Jet Currency value (ten-thousandths) as the nearest double to its
// decimal value: one correctly rounded division while the count is exact.
double currencyValue(qint64 tenThousandths)
{
    constexpr qint64 kExact = qint64(1) << 53;
    if (tenThousandths > -kExact && tenThousandths < kExact)
        return double(tenThousandths) / 10000.0;
    const qint64 whole = tenThousandths / 10000;
    const qint64 part = std::llabs(tenThousandths % 10000);
    const QString text
        = QStringLiteral("%1%2.%3")
              .arg(tenThousandths < 0 && whole == 0 ? QStringLiteral("-") : QString())
              .arg(whole)
              .arg(part, 4, 10, QLatin1Char('0'));
    return text.toDouble();
}

std::optional<qint64> wholeNumber(double d)
{
    if (!std::isfinite(d) || d != std::trunc(d) || std::fabs(d) > 9.0e15)
        return std::nullopt;
    return qint64(d);
}

std::optional<bool> yesNo(const QString &text)
{
    const QString t = text.trimmed().toCaseFolded();
    static const QStringList yes{"1", "-1", "sim", "s", "true", "verdadeiro", "yes"};
    static const QStringList no{"", "0", "não", "nao", "n", "false", "falso", "no"};
    if (yes.contains(t))
        return true;
    if (no.contains(t))
        return false;
    return std::nullopt;
}

std::optional<QDate> dateText(const QString &text)
{
    if (const auto d = kq::platform::parseDate(text))
        return d;
    const QDate iso = QDate::fromString(text.trimmed(), Qt::ISODate);
    if (iso.isValid())
        return iso;
    return std::nullopt;
}

QString isoDate(const QDate &d)
{
    return d.toString(QStringLiteral("yyyy-MM-dd"));
}

// Converts one stored value to the program's storage of a field. On failure
// returns false with the reason in `why`.
bool convert(const SourceValue &v, Kind kind, SqlValue &out, QString &why)
{
    using T = SourceValue::Type;
    out.setNull();
    switch (v.type) {
    case T::Null:
        return true;
    case T::Binary:
        why = QStringLiteral("o campo guarda dados binários, que não são importados");
        return false;
    case T::Text: {
        if (kind == Kind::Text) {
            out.setText(v.text);
            return true;
        }
        if (v.text.trimmed().isEmpty() && kind != Kind::Boolean)
            return true;
        if (kind == Kind::Date) {
            if (const auto d = dateText(v.text)) {
                out.setText(isoDate(*d));
                return true;
            }
            why = QStringLiteral("o texto \"%1\" não é uma data").arg(v.text);
            return false;
        }
        if (kind == Kind::Boolean) {
            if (const auto b = yesNo(v.text)) {
                out.setInteger(*b ? 1 : 0);
                return true;
            }
            why = QStringLiteral("o texto \"%1\" não é Sim nem Não").arg(v.text);
            return false;
        }
        // A number kept as text: the regional form or the plain one a database wrote.
        const auto n = kq::platform::parseNumber(v.text, kq::platform::NumberForm::RegionalOrPlain);
        if (!n) {
            why = QStringLiteral("o texto \"%1\" não é um número").arg(v.text);
            return false;
        }
        if (kind == Kind::Real) {
            out.setReal(*n);
            return true;
        }
        if (const auto i = wholeNumber(*n)) {
            out.setInteger(*i);
            return true;
        }
        why = QStringLiteral("o valor %1 não é um número inteiro").arg(v.text);
        return false;
    }
    case T::DateTime: {
        const QDateTime when = jetDateTime(v.real);
        if (!when.isValid()) {
            why = QStringLiteral("a data guardada (%1) não é uma data válida")
                      .arg(QString::number(v.real, 'g', 17));
            return false;
        }
        if (kind == Kind::Date) {
            out.setText(isoDate(when.date()));
            return true;
        }
        if (kind == Kind::Text) {
            out.setText(kq::platform::formatDate(when.date()));
            return true;
        }
        why = QStringLiteral("a data %1 não cabe num campo que não é de data")
                  .arg(kq::platform::formatDate(when.date()));
        return false;
    }
    case T::Boolean:
    case T::Integer:
    case T::Currency:
    case T::Real: {
        if (kind == Kind::Date) {
            why = QStringLiteral("um número não é uma data");
            return false;
        }
        const bool exactInteger
            = v.type != T::Real && (v.type != T::Currency || v.integer % 10000 == 0);
        const qint64 asInteger = v.type == T::Currency ? v.integer / 10000 : v.integer;
        const double asReal = v.type == T::Real       ? v.real
                              : v.type == T::Currency ? currencyValue(v.integer)
                                                      : double(v.integer);
        switch (kind) {
        case Kind::Boolean:
            out.setInteger(asReal != 0 ? 1 : 0);
            return true;
        case Kind::Real:
            out.setReal(asReal);
            return true;
        case Kind::Integer:
            if (exactInteger) {
                out.setInteger(asInteger);
                return true;
            }
            if (const auto i = wholeNumber(asReal)) {
                out.setInteger(*i);
                return true;
            }
            why = QStringLiteral("o valor %1 não é um número inteiro")
                      .arg(kq::platform::formatPlain(asReal));
            return false;
        case Kind::Text:
            out.setText(exactInteger ? QString::number(asInteger)
                                     : kq::platform::formatPlain(asReal));
            return true;
        case Kind::Date:
            break;
        }
        return false;
    }
    }
    return false;
}

void bind(sqlite3_stmt *st, int i, const SqlValue &v)
{
    switch (v.type) {
    case SqlValue::Type::Null:
        sqlite3_bind_null(st, i);
        break;
    case SqlValue::Type::Integer:
        sqlite3_bind_int64(st, i, v.integer);
        break;
    case SqlValue::Type::Real:
        sqlite3_bind_double(st, i, v.real);
        break;
    case SqlValue::Type::Text:
        sqlite3_bind_text(st, i, v.text.constData(), int(v.text.size()), SQLITE_STATIC);
        break;
    }
}

// Where a failure happened, for the message.
struct Place
{
    QString file;
    QString table;
    qint64 row = 0;
};

[[noreturn]] void fail(const Place &at, const QString &field, const QString &why)
{
    QString where = QStringLiteral("tabela %1").arg(at.table);
    if (at.row > 0)
        where += QStringLiteral(", registro %1").arg(at.row);
    if (!field.isEmpty())
        where += QStringLiteral(", campo %1").arg(field);
    throw ImportError(QStringLiteral("Não foi possível importar o arquivo %1 (%2): %3.")
                          .arg(at.file, where, why));
}

// Why the new database refused a row, in the program's words.
QString refusal(sqlite3 *db, const QList<Plan> &plans, const SqlValue *values)
{
    const QString text = lastError(db);
    switch (sqlite3_extended_errcode(db)) {
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_UNIQUE: {
        QStringList parts;
        for (int i = 0; i < plans.size(); ++i)
            if (plans[i].column.primaryKey)
                parts << QStringLiteral("%1 = %2").arg(plans[i].column.name, values[i].shown());
        return QStringLiteral("chave repetida (%1): outro registro já tem essa chave")
            .arg(parts.join(QStringLiteral("; ")));
    }
    case SQLITE_CONSTRAINT_NOTNULL:
        return QStringLiteral("campo obrigatório vazio (%1)")
            .arg(text.section(QLatin1Char('.'), -1));
    case SQLITE_CONSTRAINT_CHECK:
        return QStringLiteral("valor não aceito pela regra \"%1\"")
            .arg(text.section(QStringLiteral(": "), 1));
    case SQLITE_CONSTRAINT_TRIGGER:
        return text;
    default:
        return QStringLiteral("o banco novo recusou o registro (%1)").arg(text);
    }
}

// Converts the fields of one row that the new table takes, into `out`.
void convertRow(const SourceRow &row, const QList<Plan> &plans, const ImportOptions &options,
                const Place &at, SqlValue *out)
{
    QString why;
    for (int i = 0; i < plans.size(); ++i) {
        const Plan &p = plans[i];
        SqlValue &v = out[i];
        if (!convert(row[p.source], p.column.kind, v, why))
            fail(at, p.column.name,
                 p.column.password ? QStringLiteral("a senha guardada não pôde ser lida") : why);
        if (v.type == SqlValue::Type::Null && p.column.whenNull)
            v = *p.column.whenNull;
        if (p.column.password && v.type == SqlValue::Type::Text) {
            if (!options.hashPassword)
                fail(at, p.column.name, QStringLiteral("as senhas não podem ser gravadas"));
            v.setText(options.hashPassword(QString::fromUtf8(v.text)));
        }
    }
}

// Rows converted and waiting to be written.
struct RowBatch
{
    qint64 firstRow = 0; // the number of its first row in the old table
    int rows = 0;
    std::vector<SqlValue> values; // row after row, one value per field written
};

constexpr int kBatchRows = 1024;

// The hand-over of batches from the reading thread to the writing one, a few
// batches ahead at most. Either side may stop the other.
class RowQueue
{
public:
    // Reader: waits for room; false when the writer has stopped.
    bool push(RowBatch &&batch)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_stopped || m_batches.size() < kDepth; });
        if (m_stopped)
            return false;
        if (batch.rows > 0)
            m_batches.push_back(std::move(batch));
        m_changed.notify_all();
        return true;
    }
    // Reader: no more batches; with the failure that ended the reading.
    void finish(std::exception_ptr failure = nullptr)
    {
        const std::lock_guard lock(m_mutex);
        m_finished = true;
        m_failure = failure;
        m_changed.notify_all();
    }
    // Writer: the next batch; false once the reader has finished and every
    // batch was taken.
    bool pop(RowBatch &batch)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_finished || !m_batches.empty(); });
        if (m_batches.empty())
            return false;
        batch = std::move(m_batches.front());
        m_batches.pop_front();
        m_changed.notify_all();
        return true;
    }
    // Writer: throws the failure that ended the reading, if any.
    void rethrow()
    {
        const std::lock_guard lock(m_mutex);
        if (m_failure)
            std::rethrow_exception(m_failure);
    }
    // Writer: stops taking batches; the reader ends at its next push.
    void stop()
    {
        const std::lock_guard lock(m_mutex);
        m_stopped = true;
        m_changed.notify_all();
    }

private:
    static constexpr size_t kDepth = 4;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<RowBatch> m_batches;
    bool m_finished = false;
    bool m_stopped = false;
    std::exception_ptr m_failure;
};

qint64 copyTable(sqlite3 *db, const TargetTable &target, SourceTable &source, const Place &table,
                 const ImportOptions &options, ImportProgress &progress, DatabaseReport &report)
{
    const QStringList sourceColumns = source.columns();
    QHash<QString, int> byName;
    for (int i = 0; i < sourceColumns.size(); ++i)
        byName.insert(key(sourceColumns[i]), i);

    QList<Plan> plans;
    QStringList names;
    QList<bool> used(sourceColumns.size(), false);
    for (const TargetColumn &c : target.columns) {
        const int index = byName.value(key(c.name), -1);
        if (index < 0) {
            report.missingColumns << target.name + QLatin1Char('.') + c.name;
            continue;
        }
        used[index] = true;
        plans.append({c, index});
        names << quoted(c.name);
    }
    for (int i = 0; i < sourceColumns.size(); ++i)
        if (!used[i])
            report.extraColumns << target.name + QLatin1Char('.') + sourceColumns[i];

    const QString sql
        = plans.isEmpty()
              ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoted(target.name))
              : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                    .arg(quoted(target.name), names.join(QLatin1Char(',')),
                         QStringList(plans.size(), QStringLiteral("?")).join(QLatin1Char(',')));
    Statement insert(db, sql);
    const int fields = int(plans.size());
    RowQueue queue;
    // This thread writes; another reads and converts the rows meanwhile.
    std::thread reader([&] {
        RowBatch batch;
        try {
            SourceRow row;
            Place at = table;
            batch.firstRow = 1;
            batch.values.reserve(size_t(kBatchRows) * size_t(fields));
            while (source.next(row)) {
                ++at.row;
                if (row.size() != sourceColumns.size())
                    fail(at, QString(), QStringLiteral("o registro não pôde ser lido por inteiro"));
                batch.values.resize(size_t(batch.rows + 1) * size_t(fields));
                // data(): a table that takes none of the old fields has no values.
                convertRow(row, plans, options, at,
                           batch.values.data() + size_t(batch.rows) * size_t(fields));
                if (++batch.rows == kBatchRows) {
                    if (!queue.push(std::move(batch)))
                        return;
                    batch = RowBatch();
                    batch.firstRow = at.row + 1;
                    batch.values.reserve(size_t(kBatchRows) * size_t(fields));
                }
            }
            queue.push(std::move(batch));
            queue.finish();
        } catch (...) {
            // The rows before the failing one are written first, as they come.
            queue.push(std::move(batch));
            queue.finish(std::current_exception());
        }
    });
    const auto stopReading = qScopeGuard([&] {
        queue.stop();
        reader.join();
    });
    RowBatch batch;
    qint64 written = 0;
    while (queue.pop(batch)) {
        for (int r = 0; r < batch.rows; ++r) {
            progress.row();
            const SqlValue *values = batch.values.data() + size_t(r) * size_t(fields);
            for (int i = 0; i < fields; ++i)
                bind(insert.get(), i + 1, values[i]);
            if (sqlite3_step(insert.get()) != SQLITE_DONE)
                fail({table.file, table.table, batch.firstRow + r}, QString(),
                     refusal(db, plans, values));
            sqlite3_reset(insert.get());
        }
        written += batch.rows;
    }
    queue.rethrow();
    return written;
}

void fillDatabase(sqlite3 *db, SourceDatabase &source, const ImportOptions &options,
                  ImportProgress &progress, DatabaseReport &report)
{
    exec(db, "PRAGMA synchronous=NORMAL; PRAGMA journal_mode=MEMORY; "
             "PRAGMA cache_size=-65536; PRAGMA temp_store=MEMORY; BEGIN;");
    // The indexes are made again once the rows are in: sorting once is far
    // quicker than keeping them in order row by row.
    QStringList indexes;
    QStringList names;
    {
        Statement list(db, QStringLiteral("SELECT name, sql FROM sqlite_master "
                                          "WHERE type = 'index' AND sql IS NOT NULL"));
        while (sqlite3_step(list.get()) == SQLITE_ROW) {
            names << columnText(list.get(), 0);
            indexes << columnText(list.get(), 1);
        }
    }
    for (const QString &name : std::as_const(names))
        exec(db, QStringLiteral("DROP INDEX %1").arg(quoted(name)).toUtf8().constData());
    QHash<QString, QString> sourceTables;
    const QStringList sourceNames = source.tableNames();
    for (const QString &name : sourceNames)
        sourceTables.insert(key(name), name);
    QSet<QString> matched;
    for (const TargetTable &target : targetTables(db)) {
        const QString name = sourceTables.value(key(target.name));
        if (name.isEmpty()) {
            report.missingTables << target.name;
            continue;
        }
        matched.insert(key(name));
        const Place at{source.fileName(), target.name, 0};
        std::unique_ptr<SourceTable> table = source.table(name);
        const qint64 rows = copyTable(db, target, *table, at, options, progress, report);
        report.tables.append({target.name, rows});
    }
    for (const QString &name : sourceNames)
        if (!matched.contains(key(name)))
            report.extraTables << name;
    progress.report();
    for (const QString &sql : std::as_const(indexes))
        exec(db, sql.toUtf8().constData());
    exec(db, "COMMIT; PRAGMA journal_mode=DELETE;");
}

} // namespace

ImportProgress::ImportProgress(kq::platform::Progress *progress)
    : m_progress(progress)
{}

void ImportProgress::start(const QString &label, qint64 totalRows)
{
    m_done = 0;
    if (!m_progress)
        return;
    m_progress->setLabelText(label);
    m_progress->setMaximum(int(qMin<qint64>(totalRows, std::numeric_limits<int>::max())));
}

void ImportProgress::report()
{
    if (m_progress
        && !m_progress->setValue(int(qMin<qint64>(m_done, std::numeric_limits<int>::max()))))
        throw ImportCancelled();
}

DatabaseReport importDatabase(SourceDatabase &source, const QString &fileName, const QString &path,
                              const ImportOptions &options, ImportProgress &progress)
{
    DatabaseReport report;
    report.fileName = fileName;
    sqlite3 *db = nullptr;
    try {
        db = kq::data::createEmptyDatabase(path, fileName);
    } catch (const kq::data::DataError &e) {
        throw ImportError(
            QStringLiteral("Não foi possível criar o banco novo: %1").arg(e.description()));
    }
    try {
        fillDatabase(db, source, options, progress, report);
    } catch (...) {
        sqlite3_close(db);
        QFile::remove(path);
        throw;
    }
    if (sqlite3_close(db) != SQLITE_OK) {
        QFile::remove(path);
        throw ImportError(QStringLiteral("Não foi possível fechar o banco novo %1.").arg(path));
    }
    return report;
}

QStringList programTables(const QString &fileName)
{
    sqlite3 *db = kq::data::createEmptyDatabase(QStringLiteral(":memory:"), fileName);
    QStringList names;
    try {
        for (const TargetTable &t : targetTables(db))
            names << t.name;
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    sqlite3_close(db);
    return names;
}

QStringList matchedTables(const SourceDatabase &source, const QString &fileName)
{
    QSet<QString> targets;
    for (const QString &name : programTables(fileName))
        targets.insert(key(name));
    QStringList matched;
    for (const QString &name : source.tableNames())
        if (targets.contains(key(name)))
            matched << name;
    return matched;
}

qint64 rowsToImport(SourceDatabase &source, const QString &fileName)
{
    qint64 rows = 0;
    for (const QString &name : matchedTables(source, fileName))
        rows += source.table(name)->rowCount();
    return rows;
}

} // namespace kq::import
