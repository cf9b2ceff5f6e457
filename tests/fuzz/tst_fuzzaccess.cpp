// Damaged Access files through the bounded reader of the import: each is
// read whole (every table of the program, every row) or refused with
// ImportError, within the reader's time limit, however the Jet reader
// library behaves on it. The corpus holds mutants of the Jet test file
// (make-jet-mutants.py) that once led the library into an endless loop or
// an endless growth of memory.
#include "fuzz/fuzzengine.h"
#include "support/fixturefiles.h"
#include "import/importerror.h"
#include "import/jetfile.h"
#include "import/jet/boundedreader.h"
#include "support/base_timing.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

using kq::import::ReaderLimits;

namespace {

const QString kDamaged
    = QStringLiteral("O arquivo devolvidos.mdb está danificado ou não é um banco "
                     "do Access que o sistema importa.");

ReaderLimits testLimits()
{
    return {512 * 1024 * 1024, int(kq::test::timeLimit(2000) / 1000)};
}

QString corpusFolder()
{
    return qEnvironmentVariable("KQ_TEST_SOURCE_DIR")
           + QStringLiteral("/tests/fuzz/corpus/jetaccess");
}

// Reads every table the child stored; the message of a refusal, or empty.
QString readAll(const QString &path)
{
    try {
        const auto db = kq::import::openBoundedJetDatabase(path, testLimits());
        for (const QString &name : db->tableNames()) {
            std::unique_ptr<kq::import::SourceTable> table;
            try {
                table = db->table(name);
            } catch (const kq::import::ImportError &) {
                continue; // not one of the program's tables: never read
            }
            kq::import::SourceRow row;
            while (table->next(row)) {
            }
        }
    } catch (const kq::import::ImportError &e) {
        return e.message().isEmpty() ? QStringLiteral("refused without a reason") : e.message();
    }
    return QString();
}

} // namespace

class tst_fuzzaccess : public QObject
{
    Q_OBJECT

public:
    static void initMain() { kq::test::serveAsReader(); }

private slots:
    void cleanup() { kq::import::setReaderNoteReceiver(nullptr); }

    void damagedFilesStopAtTheLimit_data()
    {
        QTest::addColumn<QString>("file");
        const QStringList files
            = QDir(corpusFolder()).entryList({"*.mdb"}, QDir::Files, QDir::Name);
        QVERIFY(!files.isEmpty());
        for (const QString &f : files)
            QTest::newRow(qPrintable(f)) << QDir(corpusFolder()).filePath(f);
    }
    void damagedFilesStopAtTheLimit()
    {
        QFETCH(QString, file);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("devolvidos.mdb"));
        QVERIFY(QFile::copy(file, path));
        QStringList notes;
        kq::import::setReaderNoteReceiver([&notes](const QString &n) { notes << n; });
        QElapsedTimer clock;
        clock.start();
        const QString message = readAll(path);
        // The limit, and the time to stop the child and clean up after it.
        QVERIFY2(clock.elapsed() < testLimits().seconds * 1000 + kq::test::timeLimit(3000),
                 qPrintable(QString::number(clock.elapsed())));
#ifdef __SANITIZE_ADDRESS__
        // Under the sanitizer the library's memory is laid out otherwise and
        // some of these files are read to an end instead: bounded all the same.
        if (!message.isEmpty())
            QCOMPARE(message, kDamaged);
#else
        QCOMPARE(message, kDamaged);
#endif
        // What the library said is kept for the log, and kept short.
        for (const QString &n : std::as_const(notes))
            QVERIFY(n.size() <= 64 * 1024);
        QCOMPARE(kq::test::fileBytes(path), kq::test::fileBytes(file));
    }

    void mutatedFiles()
    {
        QList<QByteArray> seeds{kq::test::fileBytes(kq::test::jetFixture()),
                                kq::test::oldDevolvidosBytes()};
        seeds += kq::fuzz::readCorpus(QStringLiteral("jetaccess"));
        const kq::fuzz::Mutator mutator(seeds);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("devolvidos.mdb"));
        const kq::fuzz::Outcome out
            = kq::fuzz::fuzz(QStringLiteral("jetaccess"), mutator, [&](const QByteArray &in) {
                  if (!kq::fuzz::writeFile(path, in))
                      return QStringLiteral("the input could not be written");
                  QElapsedTimer clock;
                  clock.start();
                  try {
                      kq::import::checkJetFile(path);
                  } catch (const kq::import::ImportError &) {
                      return QString();
                  }
                  readAll(path);
                  if (clock.elapsed() > testLimits().seconds * 1000 + kq::test::timeLimit(3000))
                      return QStringLiteral("the reader took %1 ms").arg(clock.elapsed());
                  return QString();
              });
        QVERIFY2(out.clean(), qPrintable(out.report()));
    }
};

QTEST_GUILESS_MAIN(tst_fuzzaccess)
#include "tst_fuzzaccess.moc"
