#include "data/server.h"

#include "data/connection_p.h"
#include "data/database.h"
#include "data/dataerror.h"
#include "data/datafolder.h"
#include "data/integrity.h"
#include "data/numbertext.h"
#include "data/pgschema_p.h"
#include "data/pgserver_p.h"

#include <QDate>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <cmath>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <memory>

namespace kq::data {

namespace {

using internal::PgResult;
using internal::SchemaColumn;

const QString kSource = QStringLiteral("kq_data");

DataError failure(const QString &text, const QString &detail = QString())
{
    return DataError(ErrorNumber::WriteFailed, text, kSource, detail);
}

QSqlDatabase connect(const ServerSettings &s)
{
    return internal::openServer(s, internal::serverConnectionName(s));
}

// The tables the server database holds now (lower case).
QSet<QString> serverTables(const QSqlDatabase &db)
{
    const PgResult r
        = internal::pgExec(db,
                           QStringLiteral("SELECT lower(table_name) FROM information_schema.tables "
                                          "WHERE table_schema = current_schema()"),
                           {}, kSource);
    QSet<QString> tables;
    for (int i = 0; i < r.rows(); ++i)
        tables.insert(r.text(i, 0));
    return tables;
}

QSet<QString> ourTables()
{
    QSet<QString> out;
    for (const QString &t : internal::businessTables())
        out.insert(t.toLower());
    return out;
}

enum class ServerState { Empty, Ready, Foreign };

ServerState stateOf(const QSet<QString> &present, QStringList *foreign)
{
    if (present.isEmpty())
        return ServerState::Empty;
    const QSet<QString> ours = ourTables();
    if (present == ours)
        return ServerState::Ready;
    QStringList names(present.cbegin(), present.cend());
    names.sort();
    *foreign = names;
    return ServerState::Foreign;
}

[[noreturn]] void refuseForeign(const ServerSettings &s, const QStringList &tables)
{
    const int shown = 8;
    QString list = tables.mid(0, shown).join(QStringLiteral(", "));
    if (tables.size() > shown)
        list += QStringLiteral(" e mais %1").arg(tables.size() - shown);
    throw DataError(ErrorNumber::WriteFailed,
                    QStringLiteral("O banco de dados \"%1\" do servidor já tem outras tabelas "
                                   "(%2) e não foi alterado. Use um banco de dados vazio.")
                        .arg(s.name(), list),
                    kSource);
}

void requireCollation(const QSqlDatabase &db, const ServerSettings &s)
{
    const PgResult r = internal::pgExec(db,
                                        QStringLiteral("SELECT 1 FROM pg_collation "
                                                       "WHERE collname = ?"),
                                        {internal::kIcuCollation}, kSource);
    if (r.rows() == 0)
        throw DataError(ErrorNumber::DatabaseOpen,
                        QStringLiteral("O servidor \"%1\" não tem a ordem alfabética portuguesa "
                                       "(\"%2\"): ele precisa de um PostgreSQL com ICU.")
                            .arg(s.name(), internal::kIcuCollation),
                        kSource);
}

void createTables(const QSqlDatabase &db)
{
    for (const QString &st : internal::serverSchemaStatements())
        internal::pgExec(db, st, {}, kSource);
}

void run(const QSqlDatabase &db, const char *sql)
{
    internal::pgExec(db, QString::fromLatin1(sql), {}, kSource);
}

// The rows each seeded table starts with.
QHash<QString, qint64> seedRows()
{
    static const QRegularExpression insert(QStringLiteral("^INSERT\\s+INTO\\s+(\\w+)\\b(.*)$"),
                                           QRegularExpression::CaseInsensitiveOption
                                               | QRegularExpression::DotMatchesEverythingOption);
    QHash<QString, qint64> rows;
    for (const QString &st : internal::serverSeedStatements()) {
        const QRegularExpressionMatch m = insert.match(st);
        if (!m.hasMatch())
            continue;
        const QString rest = m.captured(2);
        qint64 n = 0;
        if (rest.contains(QLatin1String("DEFAULT VALUES"), Qt::CaseInsensitive)) {
            n = 1;
        } else {
            const qsizetype values = rest.indexOf(QLatin1String("VALUES"), 0, Qt::CaseInsensitive);
            int depth = 0;
            bool inString = false;
            for (qsizetype i = values; i >= 0 && i < rest.size(); ++i) {
                const QChar c = rest.at(i);
                if (c == QLatin1Char('\''))
                    inString = !inString;
                else if (!inString && c == QLatin1Char('(') && depth++ == 0)
                    ++n;
                else if (!inString && c == QLatin1Char(')'))
                    --depth;
            }
        }
        rows[m.captured(1).toLower()] += n;
    }
    return rows;
}

// ---- reading the file ------------------------------------------------------

struct SqliteFile
{
    sqlite3 *db = nullptr;
    ~SqliteFile() { sqlite3_close(db); }
};

// COPY's text form of a value.
void appendCopyText(QByteArray &out, QByteArrayView text)
{
    for (const char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
}

// One value of the file as the server's column takes it; false when it
// cannot hold it.
bool serverValue(sqlite3_stmt *st, int i, SchemaColumn::Kind kind, QByteArray &out)
{
    const int type = sqlite3_column_type(st, i);
    if (type == SQLITE_NULL) {
        out += "\\N";
        return true;
    }
    const QByteArrayView text(reinterpret_cast<const char *>(sqlite3_column_text(st, i)),
                              sqlite3_column_bytes(st, i));
    switch (kind) {
    case SchemaColumn::Kind::Real:
    case SchemaColumn::Kind::Integer:
    case SchemaColumn::Kind::Boolean: {
        if (type == SQLITE_INTEGER) {
            out += QByteArray::number(sqlite3_column_int64(st, i));
            return true;
        }
        if (type == SQLITE_FLOAT) {
            if (kind != SchemaColumn::Kind::Real)
                return false;
            out += QByteArray::number(sqlite3_column_double(st, i), 'g', 17);
            return true;
        }
        // A number kept as text, as a screen typed it ("2,5").
        const QString t = QString::fromUtf8(text.data(), text.size()).trimmed();
        if (t.isEmpty()) {
            out += "\\N";
            return true;
        }
        const std::optional<double> n = readNumber(t, NumberRule::CThenBrazilian);
        if (!n || (kind != SchemaColumn::Kind::Real && *n != std::floor(*n)))
            return false;
        const double d = *n;
        out += kind == SchemaColumn::Kind::Real ? QByteArray::number(d, 'g', 17)
                                                : QByteArray::number(qint64(d));
        return true;
    }
    case SchemaColumn::Kind::Date: {
        if (type != SQLITE_TEXT)
            return false;
        const QDate d = QDate::fromString(
            QString::fromLatin1(text.first(qMin<qsizetype>(10, text.size()))), Qt::ISODate);
        if (!d.isValid())
            return false;
        out += d.toString(Qt::ISODate).toLatin1();
        return true;
    }
    case SchemaColumn::Kind::Text:
        if (type == SQLITE_FLOAT) {
            out += QByteArray::number(sqlite3_column_double(st, i), 'g', 15);
            return true;
        }
        if (text.contains('\0'))
            return false;
        appendCopyText(out, text);
        return true;
    }
    return false;
}

// The columns of a table; "rowid" is SQLite's own in the file.
QString tableColumns(const QString &table)
{
    QStringList cols;
    for (const SchemaColumn &c : internal::businessColumns()) {
        if (c.table == table)
            cols << c.name;
    }
    return cols.join(QStringLiteral(", "));
}

// Copies one table; returns the rows read from the file.
qint64 copyTable(sqlite3 *file, const QSqlDatabase &db, const QString &table, const QString &path)
{
    QVector<SchemaColumn> columns;
    for (const SchemaColumn &c : internal::businessColumns()) {
        if (c.table == table)
            columns << c;
    }
    sqlite3_stmt *st = nullptr;
    const QByteArray select = QStringLiteral("SELECT %1 FROM %2")
                                  .arg(tableColumns(table), internal::quoteName(table))
                                  .toUtf8();
    if (sqlite3_prepare_v2(file, select.constData(), -1, &st, nullptr) != SQLITE_OK) {
        const DataError e = internal::failure(file, kSource);
        sqlite3_finalize(st);
        throw DataError(e.number(),
                        QStringLiteral("O arquivo \"%1\" não pôde ser lido (tabela %2): %3")
                            .arg(path, table, e.description()),
                        kSource, e.detail());
    }
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> statement(st, sqlite3_finalize);
    pg_conn *h = internal::pgHandle(db);
    {
        PgResult r(PQexec(h, QStringLiteral("COPY %1 (%2) FROM STDIN")
                                 .arg(table.toLower(), tableColumns(table).toLower())
                                 .toUtf8()
                                 .constData()));
        if (PQresultStatus(r.get()) != PGRES_COPY_IN)
            throw internal::pgFailure(db, r.sqlstate(), r.message(), kSource,
                                      ErrorNumber::WriteFailed);
    }
    qint64 rows = 0;
    QByteArray chunk;
    auto send = [&] {
        if (!chunk.isEmpty() && PQputCopyData(h, chunk.constData(), int(chunk.size())) != 1)
            throw internal::pgFailure(db, QString(), QString::fromUtf8(PQerrorMessage(h)), kSource,
                                      ErrorNumber::WriteFailed);
        chunk.clear();
    };
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        for (int i = 0; i < columns.size(); ++i) {
            if (i)
                chunk += '\t';
            if (!serverValue(st, i, columns[i].kind, chunk)) {
                PQputCopyEnd(h, "valor recusado");
                PQclear(PQgetResult(h));
                const QString value
                    = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, i)));
                throw failure(QStringLiteral("O registro %1 da tabela %2 tem no campo %3 o "
                                             "valor \"%4\", que o servidor não aceita nesse "
                                             "campo. Nada foi copiado: corrija o registro e "
                                             "tente de novo.")
                                  .arg(rows + 1)
                                  .arg(table, columns[i].name, value));
            }
        }
        chunk += '\n';
        ++rows;
        if (chunk.size() > (1 << 20))
            send();
    }
    if (rc != SQLITE_DONE) {
        PQputCopyEnd(h, "leitura interrompida");
        PQclear(PQgetResult(h));
        throw internal::failure(file, kSource);
    }
    send();
    if (PQputCopyEnd(h, nullptr) != 1)
        throw internal::pgFailure(db, QString(), QString::fromUtf8(PQerrorMessage(h)), kSource,
                                  ErrorNumber::WriteFailed);
    PgResult done(PQgetResult(h));
    while (PGresult *more = PQgetResult(h))
        PQclear(more);
    if (!done.ok())
        throw internal::pgFailure(db, done.sqlstate(), done.message(), kSource,
                                  ErrorNumber::WriteFailed);
    return rows;
}

} // namespace

bool prepareServerDatabase(const ServerSettings &settings)
{
    const QSqlDatabase db = connect(settings);
    QStringList foreign;
    switch (stateOf(serverTables(db), &foreign)) {
    case ServerState::Ready:
        return false;
    case ServerState::Foreign:
        refuseForeign(settings, foreign);
    case ServerState::Empty:
        break;
    }
    requireCollation(db, settings);
    run(db, "BEGIN");
    try {
        createTables(db);
        for (const QString &st : internal::serverSeedStatements())
            internal::pgExec(db, st, {}, kSource);
        run(db, "COMMIT");
    } catch (...) {
        if (internal::pgAlive(db))
            PQclear(PQexec(internal::pgHandle(db), "ROLLBACK"));
        throw;
    }
    return true;
}

ServerCopy copyToServer(const QString &dataFolder)
{
    const std::optional<ServerSettings> settings = readServerSettings(dataFolder);
    if (!settings)
        throw DataError(ErrorNumber::DatabaseOpen,
                        QStringLiteral("A pasta \"%1\" não tem o arquivo %2 que indica o "
                                       "servidor.")
                            .arg(dataFolder, kServerSettings),
                        kSource);
    const QString path = dataFile(dataFolder, kDevolvidos);
    const FileCheck check = checkDatabaseFile(path);
    switch (check.result) {
    case FileCheck::Result::Sound:
        break;
    case FileCheck::Result::Missing:
        throw DataError(ErrorNumber::DatabaseOpen,
                        QStringLiteral("Não foi possível encontrar o arquivo \"%1\".").arg(path),
                        kSource);
    case FileCheck::Result::NotADatabase:
        throw DataError(ErrorNumber::NotADatabase,
                        QStringLiteral("O arquivo \"%1\" não é um banco de dados do sistema "
                                       "(SQLite 3).")
                            .arg(path),
                        kSource);
    case FileCheck::Result::Damaged:
        throw DataError(ErrorNumber::Damaged,
                        QStringLiteral("O arquivo \"%1\" está danificado e não foi copiado. "
                                       "Restaure a última cópia de segurança da pasta de "
                                       "dados.")
                            .arg(path),
                        kSource, check.findings);
    }
    SqliteFile file;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &file.db, SQLITE_OPEN_READONLY,
                        nullptr)
        != SQLITE_OK)
        throw internal::failure(file.db, kSource, ErrorNumber::DatabaseOpen);
    internal::registerExtensions(file.db);
    sqlite3_busy_timeout(file.db, 10000);

    const QSqlDatabase db = connect(*settings);
    QStringList foreign;
    const ServerState state = stateOf(serverTables(db), &foreign);
    if (state == ServerState::Foreign)
        refuseForeign(*settings, foreign);
    if (state == ServerState::Empty)
        requireCollation(db, *settings);

    ServerCopy copy;
    run(db, "BEGIN");
    // The file's rows are read in one snapshot.
    internal::execScript(file.db, QStringLiteral("BEGIN"), path);
    try {
        if (state == ServerState::Empty) {
            createTables(db);
        } else {
            // A prepared database: its seed rows give way; anything more is data.
            const QHash<QString, qint64> seeds = seedRows();
            for (const QString &table : internal::businessTables()) {
                const qint64 n
                    = internal::pgExec(
                          db, QStringLiteral("SELECT count(*) FROM %1").arg(table.toLower()), {},
                          kSource)
                          .text(0, 0)
                          .toLongLong();
                if (n > seeds.value(table.toLower()))
                    throw DataError(ErrorNumber::WriteFailed,
                                    QStringLiteral("O banco de dados \"%1\" do servidor já tem "
                                                   "registros (tabela %2) e não foi alterado. "
                                                   "A cópia só é feita num banco vazio.")
                                        .arg(settings->name(), table),
                                    kSource);
            }
            for (const QString &table : internal::businessTables())
                internal::pgExec(db, QStringLiteral("DELETE FROM %1").arg(table.toLower()), {},
                                 kSource);
        }
        for (const QString &table : internal::businessTables()) {
            const qint64 read = copyTable(file.db, db, table, path);
            const qint64 stored
                = internal::pgExec(db,
                                   QStringLiteral("SELECT count(*) FROM %1").arg(table.toLower()),
                                   {}, kSource)
                      .text(0, 0)
                      .toLongLong();
            if (stored != read)
                throw failure(QStringLiteral("A tabela %1 tem %2 registros no arquivo e %3 no "
                                             "servidor depois da cópia. Nada foi copiado.")
                                  .arg(table)
                                  .arg(read)
                                  .arg(stored));
            copy.tables.push_back({table, read});
        }
        // The rows' numbers go on after those copied.
        for (const SchemaColumn &c : internal::businessColumns()) {
            if (c.name != QLatin1String("rowid"))
                continue;
            internal::pgExec(db,
                             QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', "
                                            "'rowid'), coalesce(max(rowid), 0) + 1, false) "
                                            "FROM %1")
                                 .arg(c.table.toLower()),
                             {}, kSource);
        }
        run(db, "COMMIT");
    } catch (...) {
        if (internal::pgAlive(db))
            PQclear(PQexec(internal::pgHandle(db), "ROLLBACK"));
        sqlite3_exec(file.db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    sqlite3_exec(file.db, "ROLLBACK", nullptr, nullptr, nullptr);
    // Statistics for the planner, now that the tables are full: of the
    // program's own tables only (the system's are the server owner's).
    internal::pgExec(db, QStringLiteral("ANALYZE ") + ourTables().values().join(u','), {}, kSource);
    return copy;
}

} // namespace kq::data
