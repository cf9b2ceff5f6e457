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

// Typed order of members: Null first, then numbers, dates, texts.
int rankOf(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return 0;
    if (isNumber(v))
        return 1;
    if (isDateValue(v))
        return 2;
    return 3;
}

int compareTyped(const QVariant &a, const QVariant &b)
{
    const int ra = rankOf(a), rb = rankOf(b);
    if (ra != rb)
        return ra < rb ? -1 : 1;
    switch (ra) {
    case 0:
        return 0;
    case 1: {
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    case 2: {
        const QDateTime x = a.toDateTime(), y = b.toDateTime();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    default: {
        const int c = kq::data::compareText(a.toString(), b.toString());
        return c != 0 ? c : QString::compare(a.toString(), b.toString());
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

// A dictionary key telling apart values of different kinds.
QString dictKey(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return QStringLiteral("N");
    if (isNumber(v))
        return u'n' + QString::number(v.toDouble(), 'g', 17);
    if (isDateValue(v))
        return u'd' + keyText(v);
    return u's' + v.toString();
}

} // namespace

// --- source --------------------------------------------------------------

bool CubeModel::Data::loadSource()
{
    sourceDirty = false;
    const QString path = q->databasePath();
    const QString source = recordSource.trimmed();
    if (path.isEmpty() || source.isEmpty())
        return fail(CubeErrDataSource, QStringLiteral("No database or record source"),
                    QStringLiteral("DCube"));
    QString sql;
    static const QRegularExpression bare(QStringLiteral("^(\\[[^\\]]+\\]|\\w+)$"));
    if (bare.match(source).hasMatch())
        sql = QStringLiteral("SELECT * FROM \"%1\"").arg(unbracket(source).replace(u'"', "\"\""));
    else
        sql = kq::data::translateJet(source);

    QVector<CubeColumn> cols;
    int count = 0;
    try {
        QSqlQuery query(kq::data::database(path));
        query.setForwardOnly(true);
        if (!query.exec(sql)) {
            // A failure of the file itself is told as the data layer tells it.
            const QSqlError err = query.lastError();
            const int code = err.nativeErrorCode().toInt();
            return fail(CubeErrDataSource,
                        kq::data::isFileFailure(code)
                            ? kq::data::databaseError(code, err.databaseText(), path, {})
                                  .description()
                            : err.text(),
                        QStringLiteral("DCube"));
        }
        const QSqlRecord rec = query.record();
        const int n = rec.count();
        cols.resize(n);
        QVector<QHash<QString, int>> strHash(n);
        QVector<QHash<double, int>> numHash(n);
        for (int i = 0; i < n; ++i)
            cols[i].name = rec.fieldName(i);
        while (query.next()) {
            for (int i = 0; i < n; ++i) {
                const QVariant v = query.value(i);
                CubeColumn &c = cols[i];
                int code = -1;
                if (!v.isNull()) {
                    if (v.metaType().id() == QMetaType::QString) {
                        const QString s = v.toString();
                        auto it = strHash[i].constFind(s);
                        if (it == strHash[i].constEnd()) {
                            code = int(c.dict.size());
                            c.dict.append(v);
                            strHash[i].insert(s, code);
                        } else {
                            code = it.value();
                        }
                    } else {
                        const double x = v.toDouble();
                        auto it = numHash[i].constFind(x);
                        if (it == numHash[i].constEnd()) {
                            code = int(c.dict.size());
                            c.dict.append(v);
                            numHash[i].insert(x, code);
                        } else {
                            code = it.value();
                        }
                    }
                }
                c.codes.append(code);
            }
            ++count;
        }
    } catch (const kq::data::DataError &e) {
        return fail(CubeErrDataSource, e.description(), QStringLiteral("DCube"));
    }
    // Text columns holding ISO dates only become date columns.
    for (CubeColumn &c : cols) {
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
    columns = cols;
    rowCount = count;
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
                    QStringLiteral("Field '%1' is not in the record source").arg(f->m_source),
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
    QHash<QString, int> distinct;
    QVector<QVariant> values;
    QVector<int> codeToValue(results.size());
    QVector<bool> used(results.size(), false);
    for (int r = 0; r < rowCount; ++r) {
        const int code = c.codes.at(r);
        used[code < 0 ? int(results.size()) - 1 : code] = true;
    }
    for (int k = 0; k < results.size(); ++k) {
        if (!used.at(k)) {
            codeToValue[k] = -1;
            continue;
        }
        const QString key = dictKey(results.at(k));
        auto it = distinct.constFind(key);
        if (it == distinct.constEnd()) {
            codeToValue[k] = int(values.size());
            distinct.insert(key, int(values.size()));
            values.append(results.at(k));
        } else {
            codeToValue[k] = it.value();
        }
    }
    QVector<int> order(values.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return compareTyped(values.at(a), values.at(b)) < 0;
    });
    QVector<int> rankOfValue(values.size());
    QVector<QVariant> sorted(values.size());
    for (int i = 0; i < order.size(); ++i) {
        rankOfValue[order.at(i)] = i;
        sorted[i] = values.at(order.at(i));
    }
    buildItems(f, sorted, {});
    ev.member.resize(rowCount);
    const int nullCode = int(results.size()) - 1;
    for (int r = 0; r < rowCount; ++r) {
        const int code = c.codes.at(r);
        const int v = codeToValue.at(code < 0 ? nullCode : code);
        ev.member[r] = v < 0 ? -1 : rankOfValue.at(v);
    }
    evals.insert(f, ev);
    return true;
}

// --- layout ----------------------------------------------------------------

void CubeModel::Data::layout()
{
    if (sourceDirty && !haveData)
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

void CubeModel::Data::aggregate()
{
    aggDirty = false;
    displayDirty = true;
    rows = CubeAxis();
    cols = CubeAxis();
    rows.fields = order[OrientRow];
    cols.fields = order[OrientColumn];
    rows.nodes.append(CubeNode());
    cols.nodes.append(CubeNode());
    cellSlot.clear();
    acc.clear();
    dataOrder = order[OrientData];
    aggFields.clear();
    QVector<const double *> values;
    for (CubeField *f : std::as_const(dataOrder)) {
        if (!f->m_calculated) {
            aggFields.append(f);
            const auto it = evals.constFind(f);
            values.append(it != evals.constEnd() && it->value.size() == rowCount
                              ? it->value.constData() : nullptr);
        }
    }
    if (!haveData)
        return;

    auto members = [&](CubeField *f) -> const int * {
        const auto it = evals.constFind(f);
        return it != evals.constEnd() && it->member.size() == rowCount ? it->member.constData()
                                                                        : nullptr;
    };
    // Filters of every dimension on an axis or in the page area.
    QVector<QPair<const int *, QVector<char>>> filters;
    for (CubeField *f : std::as_const(fields)) {
        if (f->m_orientation == OrientData || f->m_orientation == OrientHidden || !f->filtered())
            continue;
        QVector<char> inc(f->m_items.count());
        for (int k = 0; k < inc.size(); ++k)
            inc[k] = f->m_items.m_items.at(k)->m_included;
        if (const int *m = members(f))
            filters.append({m, inc});
    }
    QVector<const int *> rowMembers, colMembers;
    for (CubeField *f : std::as_const(rows.fields))
        rowMembers.append(members(f));
    for (CubeField *f : std::as_const(cols.fields))
        colMembers.append(members(f));

    const int nr = int(rowMembers.size()), nc = int(colMembers.size());
    const int nf = int(aggFields.size());
    QVector<int> rchain(nr + 1), cchain(nc + 1);
    auto child = [](CubeAxis &axis, int parent, int member) {
        const qint64 key = (qint64(parent) << 32) | quint32(member);
        auto it = axis.childIndex.constFind(key);
        if (it != axis.childIndex.constEnd())
            return it.value();
        CubeNode n;
        n.parent = parent;
        n.depth = axis.nodes.at(parent).depth + 1;
        n.member = member;
        const int id = int(axis.nodes.size());
        axis.nodes.append(n);
        axis.nodes[parent].children.append(id);
        axis.childIndex.insert(key, id);
        return id;
    };
    for (int r = 0; r < rowCount; ++r) {
        bool keep = true;
        for (const auto &flt : std::as_const(filters)) {
            const int m = flt.first[r];
            if (m < 0 || !flt.second.at(m)) {
                keep = false;
                break;
            }
        }
        if (!keep)
            continue;
        rchain[0] = 0;
        for (int k = 0; k < nr; ++k)
            rchain[k + 1] = child(rows, rchain[k], rowMembers[k] ? rowMembers[k][r] : -1);
        cchain[0] = 0;
        for (int k = 0; k < nc; ++k)
            cchain[k + 1] = child(cols, cchain[k], colMembers[k] ? colMembers[k][r] : -1);
        for (int a = 0; a <= nr; ++a) {
            for (int b = 0; b <= nc; ++b) {
                const qint64 key = (qint64(rchain[a]) << 32) | quint32(cchain[b]);
                auto it = cellSlot.find(key);
                if (it == cellSlot.end()) {
                    it = cellSlot.insert(key, int(acc.size() / qMax(1, nf * 4)));
                    for (int k = 0; k < nf; ++k) {
                        acc.append(0);
                        acc.append(0);
                        acc.append(std::numeric_limits<double>::infinity());
                        acc.append(-std::numeric_limits<double>::infinity());
                    }
                    if (nf == 0)
                        acc.append(0); // keeps slot numbers apart
                }
                if (nf == 0)
                    continue;
                double *cell = acc.data() + qsizetype(it.value()) * nf * 4;
                for (int k = 0; k < nf; ++k, cell += 4) {
                    const double v = values[k] ? values[k][r] : kNaN;
                    if (std::isnan(v))
                        continue;
                    cell[0] += v;
                    cell[1] += 1;
                    if (v < cell[2])
                        cell[2] = v;
                    if (v > cell[3])
                        cell[3] = v;
                }
            }
        }
    }
}

int CubeModel::Data::slotOf(int rowNode, int colNode) const
{
    return cellSlot.value((qint64(rowNode) << 32) | quint32(colNode), -1);
}

double CubeModel::Data::aggValue(int slot, CubeField *f, bool *empty) const
{
    const int k = int(aggFields.indexOf(f));
    *empty = true;
    if (slot < 0 || k < 0)
        return kNaN;
    const double *cell = acc.constData() + qsizetype(slot) * aggFields.size() * 4 + k * 4;
    if (f->m_aggregate == AggCount) {
        *empty = false;
        return cell[1];
    }
    if (cell[1] == 0)
        return kNaN;
    *empty = false;
    switch (f->m_aggregate) {
    case AggAvg:
        return cell[0] / cell[1];
    case AggMin:
        return cell[2];
    case AggMax:
        return cell[3];
    default:
        return cell[0];
    }
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
    for (int n = node; n > 0; n = axis.nodes.at(n).parent) {
        const CubeNode &nd = axis.nodes.at(n);
        CubeDataItem *item = axis.fields.at(nd.depth - 1)->m_items.item(nd.member);
        parts.prepend(item ? item->m_value : QString());
    }
    return parts.join(QChar(0x1f));
}

bool CubeModel::Data::nodeExpanded(const CubeAxis &axis, int node) const
{
    const CubeNode &nd = axis.nodes.at(node);
    if (nd.depth < 1 || nd.depth > axis.fields.size())
        return false;
    const CubeField *f = axis.fields.at(nd.depth - 1);
    if (f->m_memberExpanded.isEmpty())
        return f->m_expanded;
    return f->m_memberExpanded.value(nodePath(axis, node), f->m_expanded);
}

int CubeModel::Data::ancestorAt(const CubeAxis &axis, int node, int depth) const
{
    int n = node;
    while (n > 0 && axis.nodes.at(n).depth > depth)
        n = axis.nodes.at(n).parent;
    return axis.nodes.at(n).depth == depth ? n : -1;
}

void CubeModel::Data::sortChildren(CubeAxis &axis, int node, bool columns)
{
    QVector<int> &kids = axis.nodes[node].children;
    if (kids.isEmpty())
        return;
    const int depth = axis.nodes.at(node).depth; // children stand at depth + 1
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
        const int ma = axis.nodes.at(a).member, mb = axis.nodes.at(b).member;
        return desc ? ma > mb : ma < mb;
    };
    if (!rank) {
        std::sort(kids.begin(), kids.end(), labelLess);
    } else {
        QHash<int, double> total;
        for (int k : std::as_const(kids)) {
            bool empty = true;
            const int slot = columns ? slotOf(0, k) : slotOf(k, 0);
            const double v = fieldValue(slot, rank, &empty);
            total.insert(k, empty ? kNaN : v);
        }
        const bool up = f->m_sortType == SortRankAscending;
        std::sort(kids.begin(), kids.end(), [&](int a, int b) {
            const double x = total.value(a), y = total.value(b);
            const bool ex = std::isnan(x), ey = std::isnan(y);
            if (ex != ey)
                return ey; // empty totals last
            if (!ex && x != y)
                return up ? x < y : x > y;
            return labelLess(a, b);
        });
    }
    for (int k : std::as_const(kids))
        sortChildren(axis, k, columns);
}

void CubeModel::Data::emitChildren(CubeAxis &axis, int node, QVector<CubeLine> &out)
{
    const int n = int(axis.fields.size());
    for (int k : std::as_const(axis.nodes.at(node).children)) {
        const CubeNode &c = axis.nodes.at(k);
        if (c.depth < n && !c.children.isEmpty() && nodeExpanded(axis, k)) {
            emitChildren(axis, k, out);
            if (axis.fields.at(c.depth)->m_groupFooter)
                out.append({k, c.depth + 1, true, -1});
        } else {
            out.append({k, c.depth, false, -1});
        }
    }
}

void CubeModel::Data::buildLines(CubeAxis &axis, bool columns)
{
    axis.lines.clear();
    if (!haveData)
        return;
    if (axis.fields.isEmpty()) {
        axis.lines.append({0, 0, false, -1});
    } else if (!axis.nodes.at(0).children.isEmpty()) {
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
    h.item = h.field->m_items.item(axis.nodes.at(node).member);
    h.text = h.item ? h.item->m_caption : QString();
    return h;
}

// --- CubeModel: building and queries ------------------------------------------

bool CubeModel::rebuild()
{
    d->lastCode = 0;
    d->lastError.clear();
    if (d->sourceDirty && !d->loadSource())
        return false;
    // Aggregates are kept when no field, filter or axis changed since.
    d->layout();
    return d->lastCode == 0;
}

bool CubeModel::reloadData()
{
    d->sourceDirty = true;
    d->haveData = false;
    return rebuild();
}

bool CubeModel::hasData() const { return d->haveData; }
int CubeModel::sourceRowCount() const { return d->rowCount; }

void CubeModel::ensureLayout() const
{
    if (!d->autoRefresh && d->layouts > 0)
        return;
    const bool needSource = d->sourceDirty && !d->haveData;
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
    const CubeLine &rl = d->rows.lines.at(row);
    const CubeLine &cl = d->cols.lines.at(column);
    if (cl.data < 0)
        return {};
    CubeField *f = d->shownData.at(cl.data);
    const int slot = d->slotOf(rl.node, cl.node);
    bool empty = true;
    double v = kNaN;
    if (f->m_calculated && (rl.total || cl.total)) {
        // A total's own expression for this calculated field, when one is set.
        CubeField *dim = rl.total ? d->rows.fields.value(rl.depth - 1)
                                  : d->cols.fields.value(cl.depth - 1);
        if (dim && dim->totalKind(f->m_name) == TotalExpression
            && !dim->totalExpression(f->m_name).isEmpty()) {
            const QString saved = f->m_expression;
            f->m_expression = dim->totalExpression(f->m_name);
            v = d->fieldValue(slot, f, &empty);
            f->m_expression = saved;
            return empty ? QVariant() : QVariant(v);
        }
    }
    v = d->fieldValue(slot, f, &empty);
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
    CubeCell c;
    c.row = row;
    c.column = column;
    const QVariant v = cellValue(row, column);
    c.empty = !v.isValid();
    c.value = c.empty ? 0.0 : v.toDouble();
    c.total = isTotalRow(row) || isTotalColumn(column);
    if (CubeField *f = dataFieldOfColumn(column))
        c.dataFieldNumber = (f->position() + 1) * (c.total ? -1 : 1);
    c.backColor = c.total ? d->style.totalsBackColor : d->style.cellBackColor;
    c.foreColor = c.total ? d->style.totalsForeColor : d->style.cellForeColor;
    emit formatCellRequested(&c);
    return c;
}


} // namespace kq::platform
