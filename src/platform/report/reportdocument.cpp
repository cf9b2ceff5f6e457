#include "platform/report/reportdocument.h"

#include "data/database.h"
#include "data/rowstream.h"
#include "data/dataerror.h"
#include "core/format.h"
#include "core/reportquery.h"
#include "core/selectionformula.h"

#include <QDate>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlRecord>
#include <cstring>

namespace kq::platform {

namespace {

using Cell = kq::data::RowStream::Cell;
using Type = kq::data::RowStream::Type;

constexpr size_t kBlockSize = size_t(4) << 20;
constexpr char kSeparator = '\x1f';

QString cellText(const QVariant &v, const QString &format)
{
    if (!v.isValid() || v.isNull())
        return QString();
    return formatValue(v, format);
}

// The formats a report writes most, told apart once per run.
enum CellFormat { AsText, Day, Other };

CellFormat cellFormatOf(const QString &format)
{
    const QString f = format.trimmed().toLower();
    if (f.isEmpty())
        return AsText;
    if (f == QLatin1String("dd/mm/yyyy") || f == QLatin1String("short date"))
        return Day;
    return Other;
}

// "dd/mm/yyyy" of an ISO date text as stored, without parsing it.
bool appendIsoDay(QByteArrayView text, QByteArray *out)
{
    if (text.size() < 10 || text[4] != '-' || text[7] != '-')
        return false;
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (text[i] < '0' || text[i] > '9')
            return false;
    const char day[10]
        = {text[8], text[9], '/', text[5], text[6], '/', text[0], text[1], text[2], text[3]};
    out->append(day, 10);
    return true;
}

// Whether a row's cell equals a group's value as QVariant compares them;
// `utf8` is the value's text as the row gave it.
bool sameValue(const Cell &cell, const QVariant &value, const QByteArray &utf8)
{
    switch (cell.type) {
    case Type::Null:
        return !value.isValid();
    case Type::Integer:
        return QVariant(qlonglong(cell.integer)) == value;
    case Type::Real:
        return QVariant(cell.real) == value;
    case Type::Text:
        if (value.typeId() != QMetaType::QString)
            return false;
        return QByteArrayView(utf8) == cell.bytes || cell.value() == value;
    case Type::Blob:
        return value.typeId() == QMetaType::QByteArray
               && QByteArrayView(value.toByteArray()) == cell.bytes;
    }
    return false;
}

// The fields a formula may name: columns of the tables the report reads.
FieldResolver resolverFor(const ReportDefinition &def, const QString &dbPath)
{
    return [def, dbPath](const QString &table, const QString &field) -> QString {
        const QRegularExpression named(
            QStringLiteral("\\b%1\\b").arg(QRegularExpression::escape(table)),
            QRegularExpression::CaseInsensitiveOption);
        if (!def.from.contains(named))
            return QString();
        for (const QString &column : kq::data::columnNames(dbPath, table))
            if (column.compare(field, Qt::CaseInsensitive) == 0)
                return table + QLatin1Char('.') + column;
        return QString();
    };
}

// Dates are stored as ISO text.
QVariant bound(const QVariant &v)
{
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().toString(Qt::ISODate);
    return v;
}

} // namespace

ReportDocument::~ReportDocument() = default;

std::unique_ptr<ReportDocument> ReportDocument::open(const ReportDefinition &def,
                                                     const QString &dbPath, const QString &formula,
                                                     QString *error)
{
    try {
        QString why;
        const auto cond = parseSelectionFormula(formula, resolverFor(def, dbPath), &why);
        if (!cond) {
            if (error)
                *error = why;
            return nullptr;
        }
        QVariantList values;
        for (const QVariant &v : cond->values)
            values << bound(v);
        std::unique_ptr<ReportDocument> doc(new ReportDocument);
        // Read forward: the rows are never held by the query.
        doc->m_rows = ReportQuery(def, cond->where, values).open(dbPath);
        const QStringList names = doc->m_rows->fieldNames();
        QStringList fields;
        for (const ReportColumn &c : def.columns)
            fields << c.field;
        for (const ReportGroup &g : def.groups)
            fields << g.field;
        for (const QString &f : fields) {
            const QString name = f.section(u'.', -1);
            int i = -1;
            for (int k = 0; k < names.size(); ++k)
                if (names[k].compare(name, Qt::CaseInsensitive) == 0)
                    i = k;
            if (i < 0) {
                if (error)
                    *error = QStringLiteral("O campo \"%1\" não está na consulta do relatório.")
                                 .arg(f);
                return nullptr;
            }
            doc->m_fields << i;
        }
        for (int c = 0; c < def.columns.size(); ++c) {
            doc->m_formats << cellFormatOf(def.columns[c].format);
            doc->m_summed << (def.columns[c].total == QLatin1String("soma"));
            if (!def.columns[c].total.isEmpty())
                doc->m_totalled << c;
        }
        doc->m_def = def;
        doc->m_formula = formula;
        doc->m_made = QDateTime::currentDateTime();
        const int ng = int(def.groups.size());
        doc->m_sums = QVector<QVector<double>>(ng + 1, QVector<double>(def.columns.size(), 0));
        doc->m_counts = QVector<QVector<int>>(ng + 1, QVector<int>(def.columns.size(), 0));
        return doc;
    } catch (const kq::data::DataError &e) {
        if (error)
            *error = e.description();
        return nullptr;
    }
}

bool ReportDocument::readMore(int rows)
{
    if (m_complete)
        return false;
    if (m_failure)
        throw *m_failure;
    m_cells.resize(size_t(m_fields.size()));
    for (int n = 0; n < rows; ++n) {
        bool more = false;
        try {
            more = m_rows->next();
        } catch (const kq::data::DataError &e) {
            m_failure = e;
            m_rows.reset();
            throw;
        }
        if (!more) {
            m_rows.reset();
            finish();
            m_complete = true;
            return false;
        }
        m_rows->cells(m_fields.constData(), int(m_fields.size()), m_cells.data());
        addRow(m_cells.data());
    }
    return true;
}

void ReportDocument::readLines(int lines)
{
    while (lineCount() < lines && readMore(64)) {
    }
}

void ReportDocument::readAll()
{
    while (readMore(4096)) {
    }
}

void ReportDocument::append(const ReportLine &line)
{
    QByteArray bytes = line.text.toUtf8();
    for (const QString &cell : line.cells) {
        bytes += kSeparator;
        bytes += cell.toUtf8();
    }
    appendPacked(line.kind, line.level, bytes);
}

void ReportDocument::appendPacked(ReportLine::Kind kind, int level, const QByteArray &bytes)
{
    // Lines over 64 KiB keep their first 64 KiB.
    const quint32 length = quint32(std::min<qsizetype>(bytes.size(), 0xffff));
    const size_t size = 4 + size_t(length);
    if (m_blocks.empty() || m_blockUsed + size > kBlockSize) {
        m_blocks.push_back(std::make_unique<char[]>(std::max(kBlockSize, size)));
        m_blockUsed = 0;
    }
    char *at = m_blocks.back().get() + m_blockUsed;
    at[0] = char(kind);
    at[1] = char(level);
    at[2] = char(length & 0xff);
    at[3] = char((length >> 8) & 0xff);
    std::memcpy(at + 4, bytes.constData(), length);
    m_index.push_back(quint64(m_blocks.size() - 1) << 32 | quint64(m_blockUsed));
    m_kinds.push_back(quint8(kind));
    m_blockUsed += size;
}

ReportLine ReportDocument::line(int i) const
{
    const quint64 at = m_index[size_t(i)];
    const char *p = m_blocks[size_t(at >> 32)].get() + (at & 0xffffffffu);
    ReportLine l;
    l.kind = ReportLine::Kind(p[0]);
    l.level = p[1];
    const int length = int(quint8(p[2])) | int(quint8(p[3])) << 8;
    const QByteArray bytes = QByteArray::fromRawData(p + 4, length);
    const QList<QByteArray> parts = bytes.split(kSeparator);
    l.text = QString::fromUtf8(parts.value(0));
    for (int k = 1; k < parts.size(); ++k)
        l.cells << QString::fromUtf8(parts[k]);
    return l;
}

QVector<ReportLine> ReportDocument::lines() const
{
    QVector<ReportLine> out;
    for (int i = 0; i < lineCount(); ++i)
        out << line(i);
    return out;
}

void ReportDocument::totalLine(int level, const QString &caption)
{
    const int nc = int(m_def.columns.size());
    const int ng = int(m_def.groups.size());
    ReportLine l;
    l.kind = level == ng ? ReportLine::GrandTotal : ReportLine::GroupTotal;
    l.level = level;
    l.text = caption;
    for (int c = 0; c < nc; ++c) {
        const QString t = m_def.columns[c].total;
        if (t == QLatin1String("soma"))
            l.cells << cellText(m_sums[level][c], m_def.columns[c].format.isEmpty()
                                                      ? QStringLiteral("0.00")
                                                      : m_def.columns[c].format);
        else if (t == QLatin1String("contagem"))
            l.cells << QString::number(m_counts[level][c]);
        else
            l.cells << QString();
    }
    m_sums[level].fill(0);
    m_counts[level].fill(0);
    append(l);
}

void ReportDocument::closeGroups(int from)
{
    const int ng = int(m_def.groups.size());
    if (m_current.size() == ng)
        for (int g = ng - 1; g >= from; --g)
            totalLine(g, QStringLiteral("Total ") + m_captions[g]);
}

int ReportDocument::changedGroup(const Cell *row) const
{
    const int nc = int(m_def.columns.size());
    const int ng = int(m_def.groups.size());
    if (m_current.size() < ng)
        return 0;
    for (int g = 0; g < ng; ++g)
        if (!sameValue(row[nc + g], m_current[g], m_currentBytes[g]))
            return g;
    return ng;
}

void ReportDocument::addRow(const Cell *row)
{
    const int nc = int(m_def.columns.size());
    const int ng = int(m_def.groups.size());
    ++m_records;
    const int changed = changedGroup(row);
    if (changed < ng) {
        closeGroups(changed);
        m_current.resize(ng);
        m_currentBytes.resize(ng);
        m_captions.resize(ng);
        for (int g = changed; g < ng; ++g) {
            const Cell &cell = row[nc + g];
            m_current[g] = cell.value();
            m_currentBytes[g] = cell.type == Type::Text
                                    ? QByteArray(cell.bytes.data(), cell.bytes.size())
                                    : QByteArray();
        }
        for (int g = changed; g < ng; ++g) {
            const ReportGroup &grp = m_def.groups[g];
            const QString value = cellText(m_current[g], grp.format);
            m_captions[g]
                = grp.caption.isEmpty() ? value : grp.caption + QStringLiteral(": ") + value;
            ReportLine h;
            h.kind = ReportLine::GroupHeader;
            h.level = g;
            h.text = m_captions[g];
            append(h);
        }
    }
    // The detail line packed straight from the row: no caption, then the cells.
    m_packed.clear();
    for (int c = 0; c < nc; ++c) {
        m_packed += kSeparator;
        const Cell &cell = row[c];
        if (cell.type == Type::Null)
            continue;
        const bool text = cell.type == Type::Text && cell.bytes.isValidUtf8();
        if (text && m_formats[c] == AsText)
            m_packed.append(cell.bytes.data(), cell.bytes.size());
        else if (!text || m_formats[c] != Day || !appendIsoDay(cell.bytes, &m_packed))
            m_packed += cellText(cell.value(), m_def.columns[c].format).toUtf8();
    }
    for (int c : std::as_const(m_totalled)) {
        const Cell &cell = row[c];
        if (cell.type == Type::Null)
            continue;
        const double value = !m_summed[c]                 ? 0
                             : cell.type == Type::Real    ? cell.real
                             : cell.type == Type::Integer ? double(cell.integer)
                                                          : cell.value().toDouble();
        for (int level = 0; level <= ng; ++level) {
            m_sums[level][c] += value;
            ++m_counts[level][c];
        }
    }
    appendPacked(ReportLine::Detail, 0, m_packed);
}

void ReportDocument::finish()
{
    closeGroups(0);
    bool anyTotal = false;
    for (const ReportColumn &c : m_def.columns)
        anyTotal = anyTotal || !c.total.isEmpty();
    if (anyTotal)
        totalLine(int(m_def.groups.size()), QStringLiteral("Total Geral"));
}

} // namespace kq::platform
