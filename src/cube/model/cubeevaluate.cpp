#include "cube/model/cubemodel.h"

#include "data/collation.h"
#include "data/database.h"
#include "data/dataerror.h"
#include "data/jetsql.h"
#include "cube/model/cubeexpr.h"
#include "cube/model/cubemodel_p.h"
#include "core/format.h"

#include <QDateTime>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <limits>

namespace kq::platform {

namespace {

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
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Bool:
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
        return fail(CubeErrDataSource,
                    QStringLiteral("Falta o banco de dados ou a origem dos registros."),
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
        return fail(CubeErrCancelled, QStringLiteral("Operação cancelada."),
                    QStringLiteral("DCube"));
    }
    if (!read.ok)
        return fail(CubeErrDataSource, read.error, QStringLiteral("DCube"));
    // Text columns holding ISO dates only become date columns.
    for (CubeColumn &c : read.columns) {
        bool dates = !c.dict.isEmpty();
        QVector<QVariant> converted;
        converted.reserve(c.dict.size());
        for (const QVariant &v : std::as_const(c.dict)) {
            const QVariant d
                = v.metaType().id() == QMetaType::QString ? isoDate(v.toString()) : QVariant();
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
        return fail(
            CubeErrDataSource,
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
        case 0:
            seen = &nullValue;
            break;
        case 1:
            seen = &numbers[key.number];
            break;
        case 2:
            seen = &moments[key.moment];
            break;
        default:
            seen = &texts[key.text];
            break;
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
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return compareKeys(keys.at(a), keys.at(b)) < 0; });
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

} // namespace kq::platform
