#include "platform/cube/cubemodel.h"

#include "data/collation.h"
#include "data/database.h"
#include "data/dataerror.h"
#include "data/jetsql.h"
#include "platform/cube/cubeexpr.h"
#include "platform/cube/cubemodel_p.h"
#include "platform/format.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <cmath>
#include <limits>

namespace kq::platform {

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

QString unbracket(QString s)
{
    s = s.trimmed();
    if (s.startsWith(u'[') && s.endsWith(u']'))
        s = s.mid(1, s.size() - 2);
    return s;
}

// ISO date text as the data layer stores it: "YYYY-MM-DD[ HH:MM[:SS]]".
QVariant isoDate(const QString &s)
{
    if (s.size() < 10 || s.at(4) != u'-' || s.at(7) != u'-')
        return {};
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (!s.at(i).isDigit())
            return {};
    }
    const QDate date = QDate::fromString(s.left(10), Qt::ISODate);
    if (!date.isValid())
        return {};
    if (s.size() == 10)
        return date;
    const QDateTime dt = QDateTime::fromString(s.left(19).replace(u' ', u'T'), Qt::ISODate);
    if (!dt.isValid())
        return {};
    return dt.time() == QTime(0, 0) ? QVariant(date) : QVariant(dt);
}

QDate toDate(const QVariant &v)
{
    if (v.metaType().id() == QMetaType::QDate)
        return v.toDate();
    if (v.metaType().id() == QMetaType::QDateTime)
        return v.toDateTime().date();
    const QVariant d = isoDate(v.toString());
    if (d.metaType().id() == QMetaType::QDate)
        return d.toDate();
    return d.toDateTime().date();
}

// Jet datepart on a date; invalid for an unknown interval or no date.
QVariant datePart(const QString &part, const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return {};
    const QDate date = toDate(value);
    if (!date.isValid())
        return {};
    const QString p = part.toLower();
    if (p == u"yyyy")
        return date.year();
    if (p == u"q")
        return (date.month() - 1) / 3 + 1;
    if (p == u"m")
        return date.month();
    if (p == u"d")
        return date.day();
    if (p == u"y")
        return date.dayOfYear();
    if (p == u"w")
        return date.dayOfWeek() % 7 + 1; // Sunday = 1
    if (p == u"ww") {
        const int jan1 = QDate(date.year(), 1, 1).dayOfWeek() % 7; // Sunday = 0
        return (date.dayOfYear() - 1 + jan1) / 7 + 1;
    }
    return {};
}

bool isNumber(const QVariant &v)
{
    switch (v.metaType().id()) {
    case QMetaType::Int: case QMetaType::LongLong: case QMetaType::UInt:
    case QMetaType::ULongLong: case QMetaType::Double: case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

bool isDateValue(const QVariant &v)
{
    return v.metaType().id() == QMetaType::QDate || v.metaType().id() == QMetaType::QDateTime;
}

// How a member value sorts and tells itself apart: its kind (Null first,
// then numbers, dates, texts) and its number, moment or text.
struct MemberKey
{
    int rank = 0;
    double number = 0;
    qint64 moment = 0; // dates: ms from the start of the Julian day count
    QString text;
    // A text in plain ASCII: lower case and as it is, for a quick compare.
    bool ascii = false;
    QByteArray lower, latin;
};

MemberKey memberKey(const QVariant &v)
{
    MemberKey k;
    if (!v.isValid() || v.isNull())
        return k;
    if (isNumber(v)) {
        k.rank = 1;
        k.number = v.toDouble();
        if (k.number == 0)
            k.number = 0; // -0 is 0
    } else if (isDateValue(v)) {
        k.rank = 2;
        const bool whole = v.metaType().id() == QMetaType::QDate;
        const QDate date = whole ? v.toDate() : v.toDateTime().date();
        const QTime time = whole ? QTime(0, 0) : v.toDateTime().time();
        k.moment = date.toJulianDay() * 86400000 + time.msecsSinceStartOfDay();
    } else {
        k.rank = 3;
        k.text = v.toString();
        k.ascii = true;
        for (const QChar ch : std::as_const(k.text)) {
            if (ch.unicode() >= 0x80) {
                k.ascii = false;
                break;
            }
        }
        if (k.ascii) {
            k.latin = k.text.toLatin1();
            k.lower = k.latin.toLower();
        }
    }
    return k;
}

int compareKeys(const MemberKey &a, const MemberKey &b)
{
    if (a.rank != b.rank)
        return a.rank < b.rank ? -1 : 1;
    switch (a.rank) {
    case 0:
        return 0;
    case 1:
        return a.number < b.number ? -1 : (a.number > b.number ? 1 : 0);
    case 2:
        return a.moment < b.moment ? -1 : (a.moment > b.moment ? 1 : 0);
    default: {
        // In plain ASCII the text order is that of the lower-case letters,
        // then of the letters as they are.
        if (a.ascii && b.ascii) {
            const int c = a.lower.compare(b.lower);
            return c != 0 ? c : a.latin.compare(b.latin);
        }
        const int c = kq::data::compareText(a.text, b.text);
        return c != 0 ? c : QString::compare(a.text, b.text);
    }
    }
}

QString keyText(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return QString();
    if (v.metaType().id() == QMetaType::QDate)
        return v.toDate().toString(Qt::ISODate);
    if (v.metaType().id() == QMetaType::QDateTime)
        return v.toDateTime().toString(Qt::ISODate);
    if (v.metaType().id() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 15);
    return v.toString();
}

QString memberName(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return QString();
    if (v.metaType().id() == QMetaType::QDate)
        return formatDate(v.toDate());
    if (v.metaType().id() == QMetaType::QDateTime)
        return formatDate(v.toDateTime().date()) + u' ' + formatTime(v.toDateTime().time());
    if (v.metaType().id() == QMetaType::Double)
        return formatPlain(v.toDouble());
    return v.toString();
}

} // namespace

// --- source --------------------------------------------------------------

bool CubeModel::Data::loadSource(const CubeProgress &progress)
{
    sourceDirty = false;
    readCancelled = false;
    const QString path = q->databasePath();
    const QString source = recordSource.trimmed();
    if (path.isEmpty() || source.isEmpty())
        return fail(CubeErrDataSource, QStringLiteral("Falta o banco de dados ou a origem dos registros."),
                    QStringLiteral("DCube"));
    QString sql;
    static const QRegularExpression bare(QStringLiteral("^(\\[[^\\]]+\\]|\\w+)$"));
    if (bare.match(source).hasMatch())
        sql = QStringLiteral("SELECT * FROM \"%1\"").arg(unbracket(source).replace(u'"', "\"\""));
    else
        sql = kq::data::translateJet(source);

    CubeSourceRead read = readCubeSource(path, sql, progress);
    if (read.cancelled) {
        // What the cube held stays; the source is read again when asked.
        sourceDirty = true;
        readCancelled = true;
        return fail(CubeErrCancelled, QStringLiteral("Operação cancelada."), QStringLiteral("DCube"));
    }
    if (!read.ok)
        return fail(CubeErrDataSource, read.error, QStringLiteral("DCube"));
    // Text columns holding ISO dates only become date columns.
    for (CubeColumn &c : read.columns) {
        bool dates = !c.dict.isEmpty();
        QVector<QVariant> converted;
        converted.reserve(c.dict.size());
        for (const QVariant &v : std::as_const(c.dict)) {
            const QVariant d = v.metaType().id() == QMetaType::QString ? isoDate(v.toString())
                                                                       : QVariant();
            if (!d.isValid()) {
                dates = false;
                break;
            }
            converted.append(d);
        }
        if (dates)
            c.dict = converted;
    }
    columns = std::move(read.columns);
    rowCount = read.rows;
    haveData = true;
    evals.clear();
    aggDirty = true;
    displayDirty = true;
    return true;
}

static int columnIndex(const QVector<CubeColumn> &cols, const QString &ref)
{
    const QString whole = unbracket(ref);
    for (int i = 0; i < cols.size(); ++i) {
        if (cols.at(i).name.compare(whole, Qt::CaseInsensitive) == 0)
            return i;
    }
    // table.column, [table].[column]: the column part.
    const int dot = ref.lastIndexOf(u'.');
    if (dot < 0)
        return -1;
    const QString last = unbracket(ref.mid(dot + 1));
    for (int i = 0; i < cols.size(); ++i) {
        if (cols.at(i).name.compare(last, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void CubeModel::Data::buildItems(CubeField *f, const QVector<QVariant> &values,
                                 const QVector<int> &map)
{
    Q_UNUSED(map);
    // Keep the captions and filters of members that are still there.
    QHash<QString, QPair<QString, bool>> old;
    for (CubeDataItem *i : std::as_const(f->m_items.m_items)) {
        if (i->m_caption != i->m_name || !i->m_included)
            old.insert(i->m_value, {i->m_caption, i->m_included});
    }
    for (auto it = f->m_savedItems.cbegin(); it != f->m_savedItems.cend(); ++it)
        old.insert(it.key(), it.value());
    f->m_savedItems.clear();
    qDeleteAll(f->m_items.m_items);
    f->m_items.m_items.clear();
    f->m_excluded = 0;
    for (int k = 0; k < values.size(); ++k) {
        auto *item = new CubeDataItem;
        item->m_field = f;
        item->m_raw = values.at(k);
        item->m_value = keyText(values.at(k));
        item->m_name = memberName(values.at(k));
        item->m_caption = item->m_name;
        item->m_index = k;
        auto it = old.constFind(item->m_value);
        if (it != old.constEnd()) {
            item->m_caption = it->first;
            item->m_included = it->second;
            f->m_excluded += item->m_included ? 0 : 1;
        }
        f->m_items.m_items.append(item);
    }
}

bool CubeModel::Data::evaluate(CubeField *f)
{
    FieldEval ev;
    ev.valid = true;
    if (f->m_orientation == OrientData && f->m_calculated) {
        evals.insert(f, ev);
        return true;
    }
    QString part;
    QString ref = f->m_source;
    static const QRegularExpression dp(
        QStringLiteral("^\\s*datepart\\s*\\(\\s*(['\"])(\\w+)\\1\\s*,\\s*(.+?)\\s*\\)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = dp.match(f->m_source);
    if (m.hasMatch()) {
        part = m.captured(2);
        ref = m.captured(3);
    }
    const int col = columnIndex(columns, ref);
    if (col < 0) {
        evals.insert(f, ev);
        if (f->m_orientation != OrientData)
            buildItems(f, {}, {});
        return fail(CubeErrDataSource,
                    QStringLiteral("O campo '%1' não está na origem dos registros.").arg(f->m_source),
                    QStringLiteral("DCube"));
    }
    const CubeColumn &c = columns.at(col);
    if (f->m_orientation == OrientData) {
        QVector<double> byCode(c.dict.size());
        for (int k = 0; k < c.dict.size(); ++k) {
            const QVariant v = part.isEmpty() ? c.dict.at(k) : datePart(part, c.dict.at(k));
            byCode[k] = !v.isValid() || v.isNull() ? kNaN : v.toDouble();
        }
        ev.value.resize(rowCount);
        for (int r = 0; r < rowCount; ++r) {
            const int code = c.codes.at(r);
            ev.value[r] = code < 0 ? kNaN : byCode.at(code);
        }
        evals.insert(f, ev);
        return true;
    }
    // Members: the distinct values (Null included) in label order.
    QVector<QVariant> results(c.dict.size() + 1); // last = Null
    for (int k = 0; k < c.dict.size(); ++k)
        results[k] = part.isEmpty() ? c.dict.at(k) : datePart(part, c.dict.at(k));
    QVector<QVariant> values;
    QVector<MemberKey> keys;
    QVector<int> codeToValue(results.size());
    QVector<char> used(results.size(), 0);
    const int nullCode = int(results.size()) - 1;
    for (const int code : c.codes)
        used[code < 0 ? nullCode : code] = 1;
    // Distinct values by kind and value (the value's index + 1, 0 = new).
    QHash<double, int> numbers;
    QHash<qint64, int> moments;
    QHash<QString, int> texts;
    int nullValue = 0;
    for (int k = 0; k < results.size(); ++k) {
        if (!used.at(k)) {
            codeToValue[k] = -1;
            continue;
        }
        MemberKey key = memberKey(results.at(k));
        int *seen = nullptr;
        switch (key.rank) {
        case 0: seen = &nullValue; break;
        case 1: seen = &numbers[key.number]; break;
        case 2: seen = &moments[key.moment]; break;
        default: seen = &texts[key.text]; break;
        }
        if (*seen == 0) {
            values.append(results.at(k));
            keys.append(std::move(key));
            *seen = int(values.size());
        }
        codeToValue[k] = *seen - 1;
    }
    QVector<int> order(values.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return compareKeys(keys.at(a), keys.at(b)) < 0;
    });
    QVector<int> rankOfValue(values.size());
    QVector<QVariant> sorted(values.size());
    for (int i = 0; i < order.size(); ++i) {
        rankOfValue[order.at(i)] = i;
        sorted[i] = values.at(order.at(i));
    }
    buildItems(f, sorted, {});
    ev.column = col;
    ev.memberOfCode.resize(results.size());
    auto memberOf = [&](int k) {
        const int v = codeToValue.at(k);
        return v < 0 ? -1 : rankOfValue.at(v);
    };
    ev.memberOfCode[0] = memberOf(int(results.size()) - 1);
    for (int k = 0; k + 1 < results.size(); ++k)
        ev.memberOfCode[k + 1] = memberOf(k);
    evals.insert(f, ev);
    return true;
}

// --- layout ----------------------------------------------------------------

void CubeModel::Data::layout()
{
    if (sourceDirty && !haveData && !readCancelled)
        loadSource();
    for (CubeField *f : std::as_const(fields)) {
        if (haveData && !evals.contains(f)) {
            evaluate(f);
            aggDirty = true;
        }
    }
    if (aggDirty)
        aggregate();
    display();
    ++layouts;
    emit q->layoutChanged();
}

double CubeModel::Data::fieldValue(int slot, CubeField *f, bool *empty, int depth) const
{
    *empty = true;
    if (slot < 0 || !f)
        return kNaN;
    if (!f->m_calculated)
        return aggValue(slot, f, empty);
    if (depth > 8)
        return kNaN;
    CubeExpr expr;
    if (!expr.parse(f->m_expression.isEmpty() ? f->m_source : f->m_expression))
        return kNaN;
    const double v = expr.evaluate([&](const QString &name) {
        CubeField *other = nullptr;
        for (CubeField *g : dataOrder) {
            if (g->m_name.compare(name, Qt::CaseInsensitive) == 0) {
                other = g;
                break;
            }
        }
        if (!other || other == f)
            return kNaN;
        bool e = true;
        const double x = fieldValue(slot, other, &e, depth + 1);
        return e ? kNaN : x;
    });
    *empty = std::isnan(v);
    return v;
}

QString CubeModel::Data::nodePath(const CubeAxis &axis, int node) const
{
    QStringList parts;
    for (int n = node; n > 0; n = axis.parent.at(n)) {
        CubeDataItem *item =
            axis.fields.at(axis.depth.at(n) - 1)->m_items.item(axis.member.at(n));
        parts.prepend(item ? item->m_value : QString());
    }
    return parts.join(QChar(0x1f));
}

bool CubeModel::Data::nodeExpanded(const CubeAxis &axis, int node) const
{
    const int depth = axis.depth.at(node);
    if (depth < 1 || depth > axis.fields.size())
        return false;
    const CubeField *f = axis.fields.at(depth - 1);
    if (f->m_memberExpanded.isEmpty())
        return f->m_expanded;
    return f->m_memberExpanded.value(nodePath(axis, node), f->m_expanded);
}

int CubeModel::Data::ancestorAt(const CubeAxis &axis, int node, int depth) const
{
    int n = node;
    while (n > 0 && axis.depth.at(n) > depth)
        n = axis.parent.at(n);
    return axis.depth.at(n) == depth ? n : -1;
}

void CubeModel::Data::sortChildren(CubeAxis &axis, int node, bool columns)
{
    const int first = axis.childBegin.at(node), last = axis.childBegin.at(node + 1);
    if (first == last)
        return;
    const auto kids = axis.children.begin() + first;
    const auto kidsEnd = axis.children.begin() + last;
    const int depth = axis.depth.at(node); // children stand at depth + 1
    CubeField *f = axis.fields.at(depth);
    CubeField *rank = nullptr;
    if (f->m_sortType != SortLabel && f->m_rankDataField > 0) {
        for (CubeField *g : std::as_const(dataOrder)) {
            if (g->m_dataIndex == f->m_rankDataField)
                rank = g;
        }
    }
    const bool desc = f->m_labelDescending != 0;
    auto labelLess = [&](int a, int b) {
        const int ma = axis.member.at(a), mb = axis.member.at(b);
        return desc ? ma > mb : ma < mb;
    };
    if (!rank) {
        std::sort(kids, kidsEnd, labelLess);
    } else {
        QVector<double> &total = rankTotals;
        total.resize(axis.nodeCount());
        for (auto it = kids; it != kidsEnd; ++it) {
            bool empty = true;
            const int slot = columns ? slotOf(0, *it) : slotOf(*it, 0);
            const double v = fieldValue(slot, rank, &empty);
            total[*it] = empty ? kNaN : v;
        }
        const bool up = f->m_sortType == SortRankAscending;
        std::sort(kids, kidsEnd, [&](int a, int b) {
            const double x = total.at(a), y = total.at(b);
            const bool ex = std::isnan(x), ey = std::isnan(y);
            if (ex != ey)
                return ey; // empty totals last
            if (!ex && x != y)
                return up ? x < y : x > y;
            return labelLess(a, b);
        });
    }
    if (depth + 1 < axis.fields.size()) {
        for (int j = first; j < last; ++j)
            sortChildren(axis, axis.children.at(j), columns);
    }
}

void CubeModel::Data::emitChildren(CubeAxis &axis, int node, QVector<CubeLine> &out)
{
    const int n = int(axis.fields.size());
    for (int j = axis.childBegin.at(node); j < axis.childBegin.at(node + 1); ++j) {
        const int k = axis.children.at(j);
        const int depth = axis.depth.at(k);
        if (depth < n && axis.hasChildren(k) && nodeExpanded(axis, k)) {
            emitChildren(axis, k, out);
            if (axis.fields.at(depth)->m_groupFooter)
                out.append({k, depth + 1, true, -1});
        } else {
            out.append({k, depth, false, -1});
        }
    }
}

void CubeModel::Data::buildLines(CubeAxis &axis, bool columns)
{
    axis.lines.clear();
    if (!haveData || axis.nodeCount() == 0)
        return;
    if (axis.fields.isEmpty()) {
        axis.lines.append({0, 0, false, -1});
    } else if (axis.hasChildren(0)) {
        sortChildren(axis, 0, columns);
        emitChildren(axis, 0, axis.lines);
        if (axis.fields.at(0)->m_groupFooter)
            axis.lines.append({0, 1, true, -1});
    }
}

void CubeModel::Data::display()
{
    displayDirty = false;
    shownData.clear();
    for (CubeField *f : std::as_const(order[OrientData])) {
        if (f->m_shown)
            shownData.append(f);
    }
    buildLines(rows, false);
    buildLines(cols, true);
    if (!shownData.isEmpty()) {
        QVector<CubeLine> expanded;
        expanded.reserve(cols.lines.size() * shownData.size());
        for (const CubeLine &l : std::as_const(cols.lines)) {
            for (int k = 0; k < shownData.size(); ++k) {
                CubeLine e = l;
                e.data = k;
                expanded.append(e);
            }
        }
        cols.lines = expanded;
    }
    const int nr = int(rows.lines.size()), nc = int(cols.lines.size());
    curRow = qBound(0, curRow, qMax(0, nr - 1));
    cornerRow = qBound(0, cornerRow, qMax(0, nr - 1));
    curCol = qBound(0, curCol, qMax(0, nc - 1));
    cornerCol = qBound(0, cornerCol, qMax(0, nc - 1));
}

CubeHeading CubeModel::Data::heading(const CubeAxis &axis, const CubeLine &line, int level,
                                     bool columns) const
{
    CubeHeading h;
    const int n = int(axis.fields.size());
    if (columns && shownData.size() >= 2 && level == n + 1 && line.data >= 0) {
        h.field = shownData.at(line.data);
        h.text = h.field->m_caption;
        h.dataCaption = true;
        return h;
    }
    if (level < 1 || level > line.depth || level > n)
        return h;
    h.field = axis.fields.at(level - 1);
    if (line.total && level == line.depth) {
        h.total = true;
        h.text = h.field->m_totalCaption;
        return h;
    }
    const int node = ancestorAt(axis, line.node, level);
    if (node < 0)
        return h;
    h.item = h.field->m_items.item(axis.member.at(node));
    h.text = h.item ? h.item->m_caption : QString();
    return h;
}

// Two lines share a heading node at a level when both reach the same node
// there, both as a member or both as its total. Sharing one means reading the
// same at every level down to that one.
bool CubeModel::Data::sameNodeAt(const CubeAxis &axis, const CubeLine &a, const CubeLine &b,
                                 int level) const
{
    if (level > a.depth || level > b.depth)
        return false;
    const bool ta = a.total && level == a.depth, tb = b.total && level == b.depth;
    if (ta != tb)
        return false;
    if (ta)
        return a.node == b.node;
    return ancestorAt(axis, a.node, level) == ancestorAt(axis, b.node, level);
}

bool CubeModel::Data::sameHeading(const CubeAxis &axis, int a, int b, int level,
                                  bool columns) const
{
    if (a < 0 || b < 0 || a >= axis.lines.size() || b >= axis.lines.size() || level < 1)
        return false;
    const CubeLine &la = axis.lines.at(a), &lb = axis.lines.at(b);
    const int n = int(axis.fields.size());
    const bool captionLevel = columns && shownData.size() >= 2 && level == n + 1;
    const int memberLevel = captionLevel ? n : level;
    const CubeHeading ha = heading(axis, la, level, columns);
    if (ha.text.isEmpty())
        return false;
    if ((memberLevel == 0 || sameNodeAt(axis, la, lb, memberLevel))
        && (!captionLevel || la.data == lb.data))
        return true;
    // Different places may still read the same (equal captions): the level
    // itself first, where they mostly differ.
    const CubeHeading hb = heading(axis, lb, level, columns);
    if (ha.text != hb.text || ha.total != hb.total)
        return false;
    for (int l = 1; l < level; ++l) {
        const CubeHeading x = heading(axis, la, l, columns);
        const CubeHeading y = heading(axis, lb, l, columns);
        if (x.text != y.text || x.total != y.total)
            return false;
    }
    return true;
}

// --- CubeModel: building and queries ------------------------------------------

CubeResult CubeModel::rebuild(const CubeProgress &progress)
{
    if (d->busy)
        return CubeResult{}; // not now: the cube is busy
    d->clearError();
    if (d->sourceDirty) {
        // Painting while the rows come in shows the cube as it was.
        d->busy = true;
        const bool read = d->loadSource(progress);
        d->busy = false;
        if (!read)
            return d->result();
    }
    // Aggregates are kept when no field, filter or axis changed since.
    d->layout();
    return d->result();
}

CubeResult CubeModel::reloadData(const CubeProgress &progress)
{
    d->sourceDirty = true;
    return rebuild(progress);
}

bool CubeModel::isBusy() const { return d->busy; }

bool CubeModel::hasData() const { return d->haveData; }
int CubeModel::sourceRowCount() const { return d->rowCount; }

void CubeModel::ensureLayout() const
{
    if (d->busy || (!d->autoRefresh && d->layouts > 0))
        return;
    const bool needSource = d->sourceDirty && !d->haveData && !d->readCancelled;
    if (d->aggDirty || d->displayDirty || needSource)
        d->layout();
}

int CubeModel::rowCount() const
{
    ensureLayout();
    return int(d->rows.lines.size());
}

int CubeModel::columnCount() const
{
    ensureLayout();
    return int(d->cols.lines.size());
}

int CubeModel::nextRow(int i) const { return qMin(i + 1, rowCount()); }
int CubeModel::nextColumn(int i) const { return qMin(i + 1, columnCount()); }

int CubeModel::currentRow() const
{
    ensureLayout();
    return d->curRow;
}

int CubeModel::currentColumn() const
{
    ensureLayout();
    return d->curCol;
}

void CubeModel::setCurrentCell(int row, int column)
{
    ensureLayout();
    d->curRow = d->cornerRow = qBound(0, row, qMax(0, int(d->rows.lines.size()) - 1));
    d->curCol = d->cornerCol = qBound(0, column, qMax(0, int(d->cols.lines.size()) - 1));
}

void CubeModel::setSelectionCorner(int row, int column)
{
    ensureLayout();
    d->cornerRow = qBound(0, row, qMax(0, int(d->rows.lines.size()) - 1));
    d->cornerCol = qBound(0, column, qMax(0, int(d->cols.lines.size()) - 1));
}

std::pair<int, int> CubeModel::rowCorners() const
{
    ensureLayout();
    return {d->curRow, d->cornerRow};
}

std::pair<int, int> CubeModel::columnCorners() const
{
    ensureLayout();
    return {d->curCol, d->cornerCol};
}

int CubeModel::rowHeadingDepth(int row) const
{
    ensureLayout();
    if (row < 0 || row >= d->rows.lines.size())
        return 0;
    return d->rows.lines.at(row).depth;
}

int CubeModel::columnHeadingDepth(int column) const
{
    ensureLayout();
    if (column < 0 || column >= d->cols.lines.size())
        return 0;
    return d->cols.lines.at(column).depth + (d->shownData.size() >= 2 ? 1 : 0);
}

CubeHeading CubeModel::rowHeading(int row, int level) const
{
    ensureLayout();
    if (row < 0 || row >= d->rows.lines.size())
        return {};
    return d->heading(d->rows, d->rows.lines.at(row), level, false);
}

CubeHeading CubeModel::columnHeading(int column, int level) const
{
    ensureLayout();
    if (column < 0 || column >= d->cols.lines.size())
        return {};
    return d->heading(d->cols, d->cols.lines.at(column), level, true);
}

bool CubeModel::sameRowHeading(int a, int b, int level) const
{
    ensureLayout();
    return d->sameHeading(d->rows, a, b, level, false);
}

bool CubeModel::sameColumnHeading(int a, int b, int level) const
{
    ensureLayout();
    return d->sameHeading(d->cols, a, b, level, true);
}

bool CubeModel::isTotalRow(int row) const
{
    ensureLayout();
    return row >= 0 && row < d->rows.lines.size() && d->rows.lines.at(row).total;
}

bool CubeModel::isTotalColumn(int column) const
{
    ensureLayout();
    return column >= 0 && column < d->cols.lines.size() && d->cols.lines.at(column).total;
}

QVariant CubeModel::cellValue(int row, int column) const
{
    ensureLayout();
    if (row < 0 || row >= d->rows.lines.size() || column < 0 || column >= d->cols.lines.size())
        return {};
    return d->lineValue(d->rows.lines.at(row), d->cols.lines.at(column));
}

QVariant CubeModel::Data::lineValue(const CubeLine &rl, const CubeLine &cl) const
{
    if (cl.data < 0)
        return {};
    CubeField *f = shownData.at(cl.data);
    const int slot = slotOf(rl.node, cl.node);
    bool empty = true;
    double v = kNaN;
    if (f->m_calculated && (rl.total || cl.total)) {
        // A total's own expression for this calculated field, when one is set.
        CubeField *dim = rl.total ? rows.fields.value(rl.depth - 1)
                                  : cols.fields.value(cl.depth - 1);
        if (dim && dim->totalKind(f->m_name) == TotalExpression
            && !dim->totalExpression(f->m_name).isEmpty()) {
            const QString saved = f->m_expression;
            f->m_expression = dim->totalExpression(f->m_name);
            v = fieldValue(slot, f, &empty);
            f->m_expression = saved;
            return empty ? QVariant() : QVariant(v);
        }
    }
    v = fieldValue(slot, f, &empty);
    return empty ? QVariant() : QVariant(v);
}

QString CubeModel::cellText(int row, int column) const
{
    return cellText(row, column, QLocale());
}

QString CubeModel::cellText(int row, int column, const QLocale &locale) const
{
    const QVariant v = cellValue(row, column);
    if (!v.isValid())
        return QString();
    CubeField *f = dataFieldOfColumn(column);
    return cubeFormatNumber(v.toDouble(), f ? f->m_numberFormat : QString(), locale);
}

CubeField *CubeModel::dataFieldOfColumn(int column) const
{
    ensureLayout();
    if (column < 0 || column >= d->cols.lines.size())
        return nullptr;
    const int k = d->cols.lines.at(column).data;
    return k < 0 ? nullptr : d->shownData.at(k);
}

static int displayedLevels(const QVector<CubeField *> &fields)
{
    if (fields.isEmpty())
        return 0;
    int n = 1;
    for (int p = 0; p + 1 < fields.size() && fields.at(p)->expanded(); ++p)
        ++n;
    return n;
}

int CubeModel::displayedRowLevels() const
{
    return displayedLevels(d->order[OrientRow]);
}

int CubeModel::displayedColumnLevels() const
{
    return displayedLevels(d->order[OrientColumn]) + (shownDataFieldCount() >= 2 ? 1 : 0);
}

int CubeModel::Data::headingNode(const CubeAxis &axis, const CubeLine &line, int level0) const
{
    const int depth = level0 + 1;
    if (depth < 1 || depth > line.depth || (line.total && depth == line.depth))
        return -1;
    return ancestorAt(axis, line.node, depth);
}

bool CubeModel::rowHeadingExpanded(int row, int level0) const
{
    ensureLayout();
    if (row < 0 || row >= d->rows.lines.size())
        return false;
    const int node = d->headingNode(d->rows, d->rows.lines.at(row), level0);
    return node > 0 && d->nodeExpanded(d->rows, node);
}

void CubeModel::setRowHeadingExpanded(int row, int level0, bool expanded)
{
    ensureLayout();
    if (row < 0 || row >= d->rows.lines.size())
        return;
    const int node = d->headingNode(d->rows, d->rows.lines.at(row), level0);
    if (node <= 0)
        return;
    d->rows.fields.at(level0)->m_memberExpanded.insert(d->nodePath(d->rows, node), expanded);
    invalidate(false);
}

bool CubeModel::columnHeadingExpanded(int column, int level0) const
{
    ensureLayout();
    if (column < 0 || column >= d->cols.lines.size())
        return false;
    const int node = d->headingNode(d->cols, d->cols.lines.at(column), level0);
    return node > 0 && d->nodeExpanded(d->cols, node);
}

void CubeModel::setColumnHeadingExpanded(int column, int level0, bool expanded)
{
    ensureLayout();
    if (column < 0 || column >= d->cols.lines.size())
        return;
    const int node = d->headingNode(d->cols, d->cols.lines.at(column), level0);
    if (node <= 0)
        return;
    d->cols.fields.at(level0)->m_memberExpanded.insert(d->nodePath(d->cols, node), expanded);
    invalidate(false);
}

bool CubeModel::rowHeadingExpandable(int row, int level0) const
{
    ensureLayout();
    if (row < 0 || row >= d->rows.lines.size() || level0 + 1 >= d->rows.fields.size())
        return false;
    return d->headingNode(d->rows, d->rows.lines.at(row), level0) > 0;
}

bool CubeModel::columnHeadingExpandable(int column, int level0) const
{
    ensureLayout();
    if (column < 0 || column >= d->cols.lines.size() || level0 + 1 >= d->cols.fields.size())
        return false;
    return d->headingNode(d->cols, d->cols.lines.at(column), level0) > 0;
}

CubeCell CubeModel::formatCell(int row, int column)
{
    ensureLayout();
    CubeCell c;
    c.row = row;
    c.column = column;
    const bool inGrid = row >= 0 && row < d->rows.lines.size() && column >= 0
                        && column < d->cols.lines.size();
    const QVariant v = inGrid ? d->lineValue(d->rows.lines.at(row), d->cols.lines.at(column))
                              : QVariant();
    c.empty = !v.isValid();
    c.value = c.empty ? 0.0 : v.toDouble();
    c.total = inGrid && (d->rows.lines.at(row).total || d->cols.lines.at(column).total);
    if (inGrid && d->cols.lines.at(column).data >= 0) {
        const CubeField *f = d->shownData.at(d->cols.lines.at(column).data);
        c.dataFieldNumber = (f->position() + 1) * (c.total ? -1 : 1);
    }
    c.backColor = c.total ? d->style.totalsBackColor : d->style.cellBackColor;
    c.foreColor = c.total ? d->style.totalsForeColor : d->style.cellForeColor;
    emit formatCellRequested(&c);
    return c;
}


} // namespace kq::platform
