#include "fuzz/fuzzengine.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

namespace kq::fuzz {

namespace {

const char kBoundaryBytes[] = {'\0', '\x01', '\t',   '\n',   '\r',   '\x1f', ' ',    '"',
                               '\'', '\\',   '\x7f', '\x80', '\xbf', '\xc0', '\xfe', '\xff'};
const quint64 kBoundaryInts[] = {0,
                                 1,
                                 2,
                                 0x7f,
                                 0x80,
                                 0xff,
                                 0x100,
                                 0x7fff,
                                 0x8000,
                                 0xffff,
                                 0x10000,
                                 0x7fffffff,
                                 0x80000000,
                                 0xffffffff,
                                 0x100000000,
                                 ~quint64(0),
                                 quint64(1) << 63,
                                 (quint64(1) << 63) - 1};
// Tokens every text reader meets: numbers at the edges of the types, quotes,
// escapes, multi-byte and broken UTF-8.
const char *const kCommonTokens[] = {"0",
                                     "-1",
                                     "-0",
                                     "2147483647",
                                     "2147483648",
                                     "-2147483649",
                                     "4294967296",
                                     "9223372036854775807",
                                     "18446744073709551616",
                                     "1e308",
                                     "1e309",
                                     "-1e309",
                                     "0.5",
                                     "NaN",
                                     "Infinity",
                                     "\"",
                                     "'",
                                     "\\",
                                     "\\u0000",
                                     "\\ud800",
                                     "%",
                                     "\xc3\xa7",
                                     "\xc3\x83",
                                     "\xf0\x9f\x98\x80",
                                     "\xed\xa0\x80",
                                     "\xc3",
                                     "\r\n",
                                     "\x00"};
const char *const kBoundaryNumbers[] = {"0",          "-1",          "1",
                                        "255",        "65536",       "2147483647",
                                        "2147483648", "-2147483649", "99999999999999999999",
                                        "1e309",      "0.000001"};

constexpr int kMaxInput = 64 * 1024;
constexpr quint64 kGolden = 0x9E3779B97F4A7C15ull;

// What the crash notice prints: set before each run, cleared after the loop.
struct Current
{
    bool active = false;
    char header[200] = {};
    QByteArray input;
};
Current g_current;

void writeAll(const char *text, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(2, text, size);
        if (n <= 0)
            return;
        text += n;
        size -= size_t(n);
    }
}

// Async-signal-safe: plain writes of the prepared header and the input.
void printCurrent()
{
    if (!g_current.active)
        return;
    writeAll(g_current.header, std::strlen(g_current.header));
    const QByteArray &in = g_current.input;
    char buf[8];
    const qsizetype shown = std::min<qsizetype>(in.size(), 2000);
    for (qsizetype i = 0; i < shown; ++i) {
        const unsigned char c = static_cast<unsigned char>(in.at(i));
        if (c >= 0x20 && c < 0x7f && c != '\\') {
            buf[0] = char(c);
            writeAll(buf, 1);
        } else {
            const char hex[] = "0123456789abcdef";
            buf[0] = '\\';
            buf[1] = 'x';
            buf[2] = hex[c >> 4];
            buf[3] = hex[c & 15];
            writeAll(buf, 4);
        }
    }
    writeAll("\n", 1);
}

struct sigaction g_previous[32];

void onFatalSignal(int sig)
{
    printCurrent();
    sigaction(sig, &g_previous[sig], nullptr);
    raise(sig);
}

void installCrashNotice()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    // Chained before the test framework's own handlers. Under the sanitizers
    // their report ends the process (memory errors are theirs to catch); an
    // abort (a watchdog, a fatal message) still comes here.
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_set_death_callback(printCurrent);
    const int fatal[] = {SIGABRT};
#else
    const int fatal[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
#endif
    for (int sig : fatal) {
        struct sigaction act = {};
        act.sa_handler = onFatalSignal;
        sigemptyset(&act.sa_mask);
        sigaction(sig, &act, &g_previous[sig]);
    }
}

// Damaged input makes Qt warn (qUncompress, JSON, fonts...): counted, not
// printed, while the runs go.
QtMessageHandler g_previousHandler = nullptr;
qint64 g_hiddenMessages = 0;

void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtDebugMsg || type == QtInfoMsg || type == QtWarningMsg) {
        ++g_hiddenMessages;
        return;
    }
    if (g_previousHandler)
        g_previousHandler(type, context, text);
}

qint64 envNumber(const char *name, qint64 fallback)
{
    bool ok = false;
    const qint64 v = qEnvironmentVariable(name).toLongLong(&ok);
    return ok ? v : fallback;
}

qsizetype position(const QByteArray &data, Random &rng, bool orEnd)
{
    const int span = int(data.size()) + (orEnd ? 1 : 0);
    return span > 0 ? rng.below(span) : 0;
}

int countNodes(const QJsonValue &v)
{
    int n = 1;
    if (v.isObject())
        for (const QJsonValue &child : v.toObject())
            n += countNodes(child);
    else if (v.isArray())
        for (const QJsonValue &child : v.toArray())
            n += countNodes(child);
    return n;
}

// A value in place of `old`; Undefined removes it.
QJsonValue replacement(const QJsonValue &old, Random &rng, const QList<QByteArray> &tokens)
{
    static const double numbers[]
        = {0,     -1,     1,   2147483647.0, 2147483648.0, -2147483649.0, 9007199254740993.0,
           1e300, -1e300, 0.5, -0.5};
    switch (rng.below(10)) {
    case 0:
        return QJsonValue(QJsonValue::Undefined);
    case 1:
        return rng.below(2) ? QJsonValue(QJsonValue::Null) : QJsonValue(rng.below(2) == 0);
    case 2:
        return numbers[rng.below(int(std::size(numbers)))];
    case 3:
        return QString::fromUtf8(tokens.at(rng.below(int(tokens.size()))));
    case 4:
        return QString(rng.below(2) ? 0 : 5000 + rng.below(5000), QLatin1Char('x'));
    case 5:
        return rng.below(2) ? QJsonValue(QJsonArray()) : QJsonValue(QJsonObject());
    case 6: { // an array of many copies (or a value put one level deeper)
        if (old.isArray() && !old.toArray().isEmpty()) {
            QJsonArray a = old.toArray();
            const QJsonValue item = a.at(rng.below(int(a.size())));
            for (int i = 1 + rng.below(200); i > 0; --i)
                a.append(item);
            return a;
        }
        return rng.below(2) ? QJsonValue(QJsonArray{old}) : QJsonValue(QJsonObject{{"x", old}});
    }
    case 7: // a number as text, a text as a number
        if (old.isDouble())
            return QString::number(old.toDouble());
        return old.toString().toDouble();
    case 8: // text with a control character, a lone surrogate or an accent inside
        if (old.isString()) {
            QString t = old.toString();
            static const QChar odd[]
                = {QChar(0), QChar(0x1f), QChar(0xd800), QChar(0xe9), QChar(0xfffd), QChar('\n')};
            t.insert(rng.below(int(t.size()) + 1), odd[rng.below(int(std::size(odd)))]);
            return t;
        }
        return old;
    default:
        return numbers[rng.below(2)];
    }
}

QJsonValue rewrite(const QJsonValue &v, int &index, int target, Random &rng,
                   const QList<QByteArray> &tokens)
{
    if (index++ == target)
        return replacement(v, rng, tokens);
    if (index > target)
        return v;
    if (v.isObject()) {
        QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end() && index <= target;) {
            const QJsonValue n = rewrite(it.value(), index, target, rng, tokens);
            if (n.isUndefined()) {
                it = o.erase(it);
            } else {
                *it = n;
                ++it;
            }
        }
        return o;
    }
    if (v.isArray()) {
        QJsonArray a = v.toArray();
        for (qsizetype i = 0; i < a.size() && index <= target;) {
            const QJsonValue n = rewrite(a.at(i), index, target, rng, tokens);
            if (n.isUndefined()) {
                a.removeAt(i);
            } else {
                a.replace(i, n);
                ++i;
            }
        }
        return a;
    }
    return v;
}

} // namespace

quint64 Random::next()
{
    quint64 z = (m_state += kGolden);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

QList<QByteArray> readCorpus(const QString &reader)
{
    const QDir dir(QStringLiteral(KQ_FUZZ_CORPUS_DIR "/") + reader);
    QList<QByteArray> seeds;
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::ReadOnly))
            seeds << f.readAll();
    }
    return seeds;
}

Mutator::Mutator(QList<QByteArray> seeds, QList<QByteArray> tokens, Shape shape)
    : m_seeds(std::move(seeds))
    , m_tokens(std::move(tokens))
    , m_shape(shape)
{
    if (m_seeds.isEmpty())
        m_seeds << QByteArray();
    for (const char *t : kCommonTokens)
        m_tokens << (*t ? QByteArray(t) : QByteArray(1, '\0'));
}

QByteArray Mutator::input(qint64 run) const
{
    if (run < m_seeds.size())
        return m_seeds.at(run);
    Random rng(quint64(run) * kGolden ^ 0x6b712d373330ull);
    QByteArray data = m_seeds.at(rng.below(int(m_seeds.size())));
    if (m_shape == Shape::Json && rng.below(2)) {
        for (int i = 1 + rng.below(3); i > 0; --i)
            mutateJson(data, rng);
        if (rng.below(4) == 0)
            mutateOnce(data, rng);
    } else {
        for (int i = 1 << rng.below(3); i > 0; --i)
            mutateOnce(data, rng);
    }
    if (data.size() > kMaxInput)
        data.truncate(kMaxInput);
    return data;
}

void Mutator::mutateOnce(QByteArray &data, Random &rng) const
{
    switch (rng.below(11)) {
    case 0: // one bit
        if (!data.isEmpty()) {
            const qsizetype at = position(data, rng, false);
            data[at] = char(data.at(at) ^ (1 << rng.below(8)));
        }
        break;
    case 1: // a boundary byte in place
        if (!data.isEmpty())
            data[position(data, rng, false)] = kBoundaryBytes[rng.below(sizeof kBoundaryBytes)];
        break;
    case 2: { // a boundary integer of 1, 2, 4 or 8 bytes, either byte order
        const int width = 1 << rng.below(4);
        quint64 value = kBoundaryInts[rng.below(int(std::size(kBoundaryInts)))];
        if (rng.below(2))
            value = ~value;
        const bool bigEndian = rng.below(2);
        const qsizetype at = position(data, rng, false);
        for (int b = 0; b < width && at + b < data.size(); ++b) {
            const int shift = 8 * (bigEndian ? width - 1 - b : b);
            data[at + b] = char((value >> shift) & 0xff);
        }
        break;
    }
    case 3: // truncation
        data.truncate(position(data, rng, true));
        break;
    case 4: { // deletion of a range
        const qsizetype at = position(data, rng, true);
        data.remove(at, 1 + rng.below(rng.below(2) ? 4 : 64));
        break;
    }
    case 5: { // random or boundary bytes inserted
        QByteArray bytes;
        const int count = 1 + rng.below(8);
        for (int i = 0; i < count; ++i)
            bytes += rng.below(2) ? char(rng.below(256))
                                  : kBoundaryBytes[rng.below(sizeof kBoundaryBytes)];
        data.insert(position(data, rng, true), bytes);
        break;
    }
    case 6: // a token of the reader (or a common one)
    case 7:
        data.insert(position(data, rng, true), m_tokens.at(rng.below(int(m_tokens.size()))));
        break;
    case 8: { // a chunk repeated (deep nesting, long runs)
        if (data.isEmpty())
            break;
        const qsizetype from = position(data, rng, false);
        const QByteArray chunk = data.mid(from, 1 + rng.below(64));
        const int times = 1 + rng.below(rng.below(4) ? 4 : 256);
        data.insert(position(data, rng, true), chunk.repeated(times));
        break;
    }
    case 9: { // splice: the head of this input, the tail of a seed
        const QByteArray &other = m_seeds.at(rng.below(int(m_seeds.size())));
        data = data.left(position(data, rng, true)) + other.mid(position(other, rng, true));
        break;
    }
    case 10: { // a boundary number in place of the next digits
        qsizetype at = position(data, rng, false);
        while (at < data.size() && !(data.at(at) >= '0' && data.at(at) <= '9'))
            ++at;
        qsizetype end = at;
        while (end < data.size() && data.at(end) >= '0' && data.at(end) <= '9')
            ++end;
        if (end > at)
            data.replace(at, end - at,
                         kBoundaryNumbers[rng.below(int(std::size(kBoundaryNumbers)))]);
        break;
    }
    }
}

bool Mutator::mutateJson(QByteArray &data, Random &rng) const
{
    const QJsonDocument doc = QJsonDocument::fromJson(data);
    if (doc.isNull())
        return false;
    const QJsonValue root = doc.isObject() ? QJsonValue(doc.object()) : QJsonValue(doc.array());
    int index = 0;
    const QJsonValue changed = rewrite(root, index, rng.below(countNodes(root)), rng, m_tokens);
    const auto format = rng.below(2) ? QJsonDocument::Compact : QJsonDocument::Indented;
    if (changed.isObject())
        data = QJsonDocument(changed.toObject()).toJson(format);
    else if (changed.isArray())
        data = QJsonDocument(changed.toArray()).toJson(format);
    else
        data = changed.toVariant().toString().toUtf8();
    return true;
}

QString Outcome::report() const
{
    if (clean())
        return QString();
    return QStringLiteral("run %1 (KQ_FUZZ_RUN=%1 replays it): %2\ninput: %3")
        .arg(faultRun)
        .arg(fault, printable(input));
}

Outcome fuzz(const QString &name, const Mutator &mutator, const Check &check)
{
    installCrashNotice();
    const qint64 only = envNumber("KQ_FUZZ_RUN", -1);
    const qint64 maxRuns = envNumber("KQ_FUZZ_RUNS", 20000);
    const qint64 budgetMs = envNumber("KQ_FUZZ_SECONDS", 3) * 1000;
    const QByteArray label = name.toUtf8();
    QElapsedTimer clock;
    clock.start();
    g_hiddenMessages = 0;
    g_previousHandler = qInstallMessageHandler(quietHandler);
    Outcome out;
    for (qint64 run = only >= 0 ? only : 0; run < maxRuns; ++run) {
        // Every seed runs whatever the budget.
        if (run >= mutator.seedCount() && clock.elapsed() >= budgetMs)
            break;
        const QByteArray input = mutator.input(run);
        g_current.input = input;
        std::snprintf(g_current.header, sizeof g_current.header,
                      "\nfuzz %s: run %lld ended the process; input:\n", label.constData(),
                      static_cast<long long>(run));
        g_current.active = true;
        const QString fault = check(input);
        g_current.active = false;
        ++out.runs;
        if (!fault.isEmpty()) {
            out.faultRun = run;
            out.fault = fault;
            out.input = input;
            break;
        }
        if (only >= 0)
            break;
    }
    g_current.input.clear();
    qInstallMessageHandler(g_previousHandler);
    std::fprintf(stderr, "fuzz %s: %lld runs in %lld ms (%lld messages of Qt hidden)\n",
                 label.constData(), static_cast<long long>(out.runs),
                 static_cast<long long>(clock.elapsed()), static_cast<long long>(g_hiddenMessages));
    return out;
}

bool writeFile(const QString &path, const QByteArray &input)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(input) == input.size();
}

QString printable(const QByteArray &input, int limit)
{
    QString out;
    for (qsizetype i = 0; i < std::min<qsizetype>(input.size(), limit); ++i) {
        const unsigned char c = static_cast<unsigned char>(input.at(i));
        if (c >= 0x20 && c < 0x7f && c != '\\')
            out += QLatin1Char(char(c));
        else
            out += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
    }
    if (input.size() > limit)
        out += QStringLiteral("... (%1 bytes)").arg(input.size());
    return out;
}

} // namespace kq::fuzz
