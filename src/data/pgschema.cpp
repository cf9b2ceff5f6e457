#include "data/pgschema_p.h"

#include "data/datafolder.h"
#include "data/jetsql.h"
#include "data/schema.h"

#include <QHash>
#include <QRegularExpression>

#include <stdexcept>

namespace kq::data::internal {

namespace {

QString withoutComments(const QString &sql)
{
    QString out;
    bool inString = false;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'')) {
            inString = !inString;
        } else if (!inString && c == QLatin1Char('-') && i + 1 < sql.size() && sql.at(i + 1) == c) {
            const qsizetype end = sql.indexOf(QLatin1Char('\n'), i);
            i = (end < 0 ? sql.size() : end) - 1;
            continue;
        }
        out += c;
    }
    return out;
}

// The statements of a script, a trigger's body kept whole.
QStringList statementsOf(const QString &script)
{
    QStringList out;
    QString current;
    bool inString = false;
    const QString sql = withoutComments(script);
    for (const QChar c : sql) {
        if (c == QLatin1Char('\''))
            inString = !inString;
        if (c == QLatin1Char(';') && !inString) {
            const QString t = current.trimmed();
            const bool trigger = t.startsWith(QLatin1String("CREATE TRIGGER"), Qt::CaseInsensitive);
            if (trigger && !t.endsWith(QLatin1String("END"), Qt::CaseInsensitive)) {
                current += c;
                continue;
            }
            if (!t.isEmpty())
                out << t;
            current.clear();
            continue;
        }
        current += c;
    }
    if (!current.trimmed().isEmpty())
        out << current.trimmed();
    return out;
}

// "CHECK (...)" at `at`: where its parentheses close.
qsizetype checkEnd(const QString &text, qsizetype at)
{
    const qsizetype open = text.indexOf(QLatin1Char('('), at);
    int depth = 0;
    for (qsizetype i = open; i >= 0 && i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('('))
            ++depth;
        else if (text.at(i) == QLatin1Char(')') && --depth == 0)
            return i + 1;
    }
    return text.size();
}

struct Schema
{
    QVector<SchemaColumn> columns;
    QStringList tables;
    QStringList statements;
    QHash<QString, QString> tableSpelling;  // lower -> as written
    QHash<QString, QString> columnSpelling; // "table.column" lower -> as written
    QHash<QString, SchemaColumn::Kind> kinds;
    QHash<QString, bool> mixedKinds;
};

SchemaColumn::Kind kindOf(const QString &type)
{
    const QString t = type.toUpper();
    if (t == QLatin1String("DATE"))
        return SchemaColumn::Kind::Date;
    if (t == QLatin1String("REAL"))
        return SchemaColumn::Kind::Real;
    if (t == QLatin1String("INTEGER"))
        return SchemaColumn::Kind::Integer;
    if (t == QLatin1String("BOOLEAN"))
        return SchemaColumn::Kind::Boolean;
    return SchemaColumn::Kind::Text;
}

QString serverType(SchemaColumn::Kind kind)
{
    switch (kind) {
    case SchemaColumn::Kind::Date:
        return QStringLiteral("date");
    case SchemaColumn::Kind::Real:
        return QStringLiteral("double precision");
    case SchemaColumn::Kind::Integer:
        return QStringLiteral("integer");
    case SchemaColumn::Kind::Boolean:
        // Written and compared as 0 and 1, as SQLite keeps it.
        return QStringLiteral("smallint");
    case SchemaColumn::Kind::Text:
        break;
    }
    // No width: SQLite keeps a longer text (a key past "999" is "1000").
    return QStringLiteral("text");
}

QString createTable(Schema &schema, const QString &table, const QString &body)
{
    static const QRegularExpression column(
        QStringLiteral("^(\\w+)\\s+(\\w+)(\\s*\\(\\s*\\d+\\s*\\))?(.*)$"),
        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression collate(QStringLiteral("\\s*COLLATE\\s+(\\w+)"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression check(QStringLiteral("\\bCHECK\\s*\\("),
                                          QRegularExpression::CaseInsensitiveOption);
    QStringList defs;
    bool hasKey = false;
    schema.tables << table;
    schema.tableSpelling.insert(table.toLower(), table);
    auto addColumn = [&](const SchemaColumn &c) {
        schema.columns << c;
        schema.columnSpelling.insert(table.toLower() + QLatin1Char('.') + c.name.toLower(), c.name);
        const QString key = c.name.toLower();
        if (!schema.columnSpelling.contains(key))
            schema.columnSpelling.insert(key, c.name);
        const auto known = schema.kinds.constFind(key);
        if (known != schema.kinds.constEnd() && *known != c.kind)
            schema.mixedKinds.insert(key, true);
        schema.kinds.insert(key, c.kind);
    };
    for (const QString &item : sqlListItems(body)) {
        if (item.startsWith(QLatin1String("PRIMARY KEY"), Qt::CaseInsensitive)) {
            hasKey = true;
            defs << item;
            continue;
        }
        const QRegularExpressionMatch m = column.match(item);
        if (!m.hasMatch())
            throw std::logic_error("schema: column not understood");
        SchemaColumn c;
        c.table = table;
        c.name = m.captured(1);
        c.kind = kindOf(m.captured(2));
        QString rest = m.captured(4);
        const QRegularExpressionMatch coll = collate.match(rest);
        c.portuguese = coll.hasMatch()
                       && coll.captured(1).compare(QLatin1String("PTBR"), Qt::CaseInsensitive) == 0;
        c.noCase = coll.hasMatch()
                   && coll.captured(1).compare(QLatin1String("NOCASE"), Qt::CaseInsensitive) == 0;
        rest.remove(collate);
        QString checks;
        for (QRegularExpressionMatch k = check.match(rest); k.hasMatch(); k = check.match(rest)) {
            const qsizetype end = checkEnd(rest, k.capturedStart());
            const QString clause = rest.mid(k.capturedStart(), end - k.capturedStart());
            rest.remove(k.capturedStart(), end - k.capturedStart());
            // A date column's check that the text is a date: the type does it.
            if (!clause.contains(QLatin1String("date("), Qt::CaseInsensitive))
                checks += QLatin1Char(' ') + clause;
        }
        if (rest.contains(QLatin1String("PRIMARY KEY"), Qt::CaseInsensitive))
            hasKey = true;
        QString def = c.name + QLatin1Char(' ') + serverType(c.kind);
        if (c.portuguese)
            def += QStringLiteral(" COLLATE \"%1\"").arg(kServerCollation);
        def += QLatin1Char(' ') + rest.simplified() + checks;
        defs << def.trimmed();
        addColumn(c);
    }
    if (!hasKey) {
        // The rows' own number, as SQLite's rowid: what tells them apart.
        defs << QStringLiteral("rowid bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY");
        SchemaColumn c;
        c.table = table;
        c.name = QStringLiteral("rowid");
        c.kind = SchemaColumn::Kind::Integer;
        addColumn(c);
    }
    QString create = QStringLiteral("CREATE TABLE %1 (\n  %2\n)")
                         .arg(table, defs.join(QStringLiteral(",\n  ")));
    // The monetary update writes every cheque anew: with half of each page
    // free the new version stays on its page and no index is written (a HOT
    // update): several times faster than on full pages.
    if (table.compare(QLatin1String("DEVOLVIDOS"), Qt::CaseInsensitive) == 0)
        create += QStringLiteral(" WITH (fillfactor = 50)");
    return create;
}

// "CREATE TRIGGER t BEFORE INSERT ON x WHEN (cond) BEGIN SELECT RAISE(ABORT,
// 'text'); END": a function of the server raising the same text.
QStringList createTrigger(const QString &statement)
{
    static const QRegularExpression pattern(
        QStringLiteral("^CREATE\\s+TRIGGER\\s+(\\w+)\\s+BEFORE\\s+INSERT\\s+ON\\s+(\\w+)\\s+"
                       "WHEN\\s+(.*)\\s+BEGIN\\s+SELECT\\s+RAISE\\s*\\(\\s*ABORT\\s*,\\s*"
                       "'((?:[^']|'')*)'\\s*\\)\\s*;\\s*END$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = pattern.match(statement);
    if (!m.hasMatch())
        throw std::logic_error("schema: trigger not understood");
    const QString name = m.captured(1);
    return {QStringLiteral("CREATE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS $kq$ "
                           "BEGIN IF %2 THEN RAISE EXCEPTION '%3'; END IF; RETURN NEW; END "
                           "$kq$")
                .arg(name, m.captured(3).simplified(), m.captured(4)),
            QStringLiteral("CREATE TRIGGER %1 BEFORE INSERT ON %2 FOR EACH ROW EXECUTE "
                           "FUNCTION %1()")
                .arg(name, m.captured(2))};
}

const Schema &schema()
{
    static const Schema s = [] {
        Schema out;
        out.statements << serverCollationStatement();
        static const QRegularExpression table(
            QStringLiteral("^CREATE\\s+TABLE\\s+(\\w+)\\s*\\((.*)\\)$"),
            QRegularExpression::CaseInsensitiveOption
                | QRegularExpression::DotMatchesEverythingOption);
        for (const QString &st : statementsOf(schemaSql(kDevolvidos))) {
            const QRegularExpressionMatch m = table.match(st);
            if (m.hasMatch())
                out.statements << createTable(out, m.captured(1), m.captured(2));
            else if (st.startsWith(QLatin1String("CREATE TRIGGER"), Qt::CaseInsensitive))
                out.statements << createTrigger(st);
            else
                out.statements << st; // indexes: the same on both engines
        }
        return out;
    }();
    return s;
}

} // namespace

const QVector<SchemaColumn> &businessColumns()
{
    return schema().columns;
}

const QStringList &businessTables()
{
    return schema().tables;
}

QString spelledTable(const QString &name)
{
    return schema().tableSpelling.value(name.toLower(), name);
}

QString spelledColumn(const QString &table, const QString &name)
{
    const Schema &s = schema();
    const QString lower = name.toLower();
    const auto it = s.columnSpelling.constFind(table.toLower() + QLatin1Char('.') + lower);
    if (it != s.columnSpelling.constEnd())
        return *it;
    return table.isEmpty() ? s.columnSpelling.value(lower, name) : name;
}

SchemaColumn::Kind columnKind(const QString &name)
{
    const Schema &s = schema();
    const QString key = name.toLower();
    if (s.mixedKinds.contains(key))
        return SchemaColumn::Kind::Text;
    return s.kinds.value(key, SchemaColumn::Kind::Text);
}

bool isSchemaName(const QString &name)
{
    const Schema &s = schema();
    const QString key = name.toLower();
    return s.tableSpelling.contains(key) || s.columnSpelling.contains(key);
}

QString serverCollationStatement()
{
    // Level 2: letters and accents count, case does not ("Ávila" = "ÁVILA",
    // "Avila" <> "Ávila"), as PTBR.
    return QStringLiteral("CREATE COLLATION IF NOT EXISTS %1 (provider = icu, locale = "
                          "'pt-BR-u-ks-level2', deterministic = false)")
        .arg(kServerCollation);
}

QStringList serverSchemaStatements()
{
    return schema().statements;
}

QStringList serverSeedStatements()
{
    return statementsOf(seedSql(kDevolvidos));
}

} // namespace kq::data::internal
