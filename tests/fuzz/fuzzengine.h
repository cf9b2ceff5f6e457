#pragma once

// The mutation engine of the fuzz tests: deterministic inputs made from a seed
// corpus, fed to a reader until a time budget ends.
//
// Run i always gets the same input on every machine (the engine's random
// numbers come from the run's index alone), so a fault is replayed with
// KQ_FUZZ_RUN=i. The budget of each fuzz() call is KQ_FUZZ_SECONDS seconds
// (3 by default) and at most KQ_FUZZ_RUNS runs (20000 by default). When a run
// crashes or a sanitizer stops the program, its index and input are written
// to standard error before the process ends.

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

namespace kq::fuzz {

// SplitMix64: small, fast and the same everywhere.
class Random
{
public:
    explicit Random(quint64 seed)
        : m_state(seed)
    {}
    quint64 next();
    // 0 .. n-1 (n > 0).
    int below(int n) { return int(next() % quint64(n)); }

private:
    quint64 m_state;
};

// The seed files of tests/fuzz/corpus/<reader>/, in name order.
QList<QByteArray> readCorpus(const QString &reader);

// Makes the input of each run from the seeds: the seeds as they are first,
// then a seed changed by one, two or four stacked mutations (bit flips,
// boundary bytes and integers, truncation, deletion, insertion of bytes or
// of the reader's tokens, repeated chunks, splicing with another seed,
// boundary numbers in place of digits). For JSON seeds half the runs change
// the document's values instead (removed, retyped, boundary numbers, odd or
// long texts, repeated array items) and write it again, so that the input
// gets past the JSON parser to the reader behind it.
class Mutator
{
public:
    enum class Shape { Bytes, Json };
    explicit Mutator(QList<QByteArray> seeds, QList<QByteArray> tokens = {},
                     Shape shape = Shape::Bytes);

    int seedCount() const { return int(m_seeds.size()); }
    QByteArray input(qint64 run) const;

private:
    void mutateOnce(QByteArray &data, Random &rng) const;
    bool mutateJson(QByteArray &data, Random &rng) const;

    QList<QByteArray> m_seeds;
    QList<QByteArray> m_tokens;
    Shape m_shape;
};

struct Outcome
{
    qint64 runs = 0;
    qint64 faultRun = -1;
    QString fault;
    QByteArray input;

    bool clean() const { return faultRun < 0; }
    // The fault with its run and input, for a test's failure message.
    QString report() const;
};

// What a reader did with one input: empty when it behaved, else the fault.
using Check = std::function<QString(const QByteArray &input)>;

// Feeds the mutator's inputs to `check` within the budget; stops at the
// first fault. `name` labels the crash notice.
Outcome fuzz(const QString &name, const Mutator &mutator, const Check &check);

// Writes an input to the file a reader opens; false when it could not.
bool writeFile(const QString &path, const QByteArray &input);

// An input as printable text (C escapes), cut to `limit` bytes.
QString printable(const QByteArray &input, int limit = 400);

} // namespace kq::fuzz
