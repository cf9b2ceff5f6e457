#include "import/importerror.h"
#include "import/jet/jetreader.h"
#include "import/jetdate.h"
#include "import/jetfile.h"
#include "support/fixturefiles.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>

using kq::import::SourceRow;
using kq::import::SourceValue;
using Type = kq::import::SourceValue::Type;

namespace {

QString day(const SourceValue &v)
{
    return kq::import::jetDateTime(v.real).date().toString(Qt::ISODate);
}

} // namespace

// The reading layer over Debian's Jet reader, against a real Jet 4 file.
class tst_jetreader : public QObject
{
    Q_OBJECT

public:
    static void initMain() { kq::test::serveAsReader(); }

private slots:
    void jetDates_data()
    {
        QTest::addColumn<double>("stored");
        QTest::addColumn<QString>("expected"); // "" = no date
        QTest::newRow("the day zero") << 0.0 << "1899-12-30T00:00:00";
        QTest::newRow("a day later") << 1.0 << "1899-12-31T00:00:00";
        QTest::newRow("noon of 1/1/1900") << 2.5 << "1900-01-01T12:00:00";
        // Before the day zero the fraction still counts forward.
        QTest::newRow("before day zero, with time") << -1.25 << "1899-12-29T06:00:00";
        QTest::newRow("half a day before day zero") << -0.5 << "1899-12-30T12:00:00";
        QTest::newRow("a hair short of midnight") << 44532.999999999 << "2021-12-03T00:00:00";
        QTest::newRow("the first day Jet holds") << -657434.0 << "0100-01-01T00:00:00";
        QTest::newRow("the last second Jet holds")
            << 2958465.0 + 86399.0 / 86400.0 << "9999-12-31T23:59:59";
        QTest::newRow("before year 100") << -657435.0 << "";
        QTest::newRow("after year 9999") << 2958466.0 << "";
        QTest::newRow("last second rounding past 9999") << 2958465.9999999 << "";
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << "";
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << "";
    }
    void jetDates()
    {
        QFETCH(double, stored);
        QFETCH(QString, expected);
        const QDateTime when = kq::import::jetDateTime(stored);
        if (expected.isEmpty()) {
            QVERIFY(!when.isValid());
            return;
        }
        QVERIFY(when.isValid());
        QCOMPARE(when.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")), expected);
    }

    void readsTheTestFile()
    {
        auto db = kq::import::openJetDatabase(kq::test::jetFixture());
        QCOMPARE(db->fileName(), QStringLiteral("DateTestDatabase.mdb"));
        QCOMPARE(db->tableNames(), QStringList{"DateTest"});
        auto table = db->table(QStringLiteral("DateTest"));
        QCOMPARE(table->columns(), (QStringList{"IDCol", "DateTimeCol", "DateCol", "TimeCol",
                                                "LongTextCol", "ShortTextCol"}));
        QCOMPARE(table->rowCount(), 6);
        QList<SourceRow> rows;
        SourceRow row;
        while (table->next(row))
            rows << row;
        QCOMPARE(rows.size(), 6);
        for (int i = 0; i < rows.size(); ++i) {
            QCOMPARE(rows[i].size(), 6);
            QCOMPARE(rows[i][0].type, Type::Integer);
            QCOMPARE(rows[i][0].integer, i + 1);
            for (int c = 1; c <= 3; ++c)
                QCOMPARE(rows[i][c].type, Type::DateTime);
            QCOMPARE(rows[i][4].type, Type::Text);
            QCOMPARE(rows[i][5].type, Type::Text);
        }
        // Dates from their stored value, in and out of 1900-2099.
        const QStringList expected[] = {
            {"2021-12-02", "2021-12-02", "2021-12-02"}, {"9999-01-01", "9999-01-01", "9999-01-01"},
            {"1898-01-01", "1899-01-01", "1900-01-01"}, {"0632-01-01", "0633-01-01", "0634-01-01"},
            {"2021-12-02", "2021-12-02", "2021-12-02"}, {"2021-12-02", "2021-12-02", "2021-12-02"},
        };
        for (int i = 0; i < 6; ++i)
            QCOMPARE((QStringList{day(rows[i][1]), day(rows[i][2]), day(rows[i][3])}), expected[i]);
        QCOMPARE(rows[1][4].text, QStringLiteral("Year 9999"));
        QCOMPARE(rows[1][5].text, QStringLiteral("Year 1999"));
        QCOMPARE(rows[2][4].text, QStringLiteral("Pre-1900 years"));
        // A memo with a real line break; a text with the characters "\r\n".
        QCOMPARE(rows[5][4].text, QStringLiteral("New line\r\nin field"));
        QCOMPARE(rows[5][5].text, QStringLiteral("No new line"));
        QCOMPARE(rows[4][5].text, QStringLiteral("Escaped new line \\r\\n in field"));
        QVERIFY(!table->next(row));
    }

    // Read in the child process, the program's tables come as read here.
    void theBoundedReaderGivesTheSameRows()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("devolvidos.mdb"));
        QVERIFY(kq::test::writeAll(path, kq::test::oldDevolvidosBytes()));
        auto here = kq::import::openJetDatabase(path);
        auto bounded = kq::import::openBoundedJetDatabase(path, kq::import::readerLimits(0));
        QCOMPARE(bounded->fileName(), QStringLiteral("devolvidos.mdb"));
        QCOMPARE(bounded->tableNames(), QStringList{"situacoes"});
        auto expected = here->table(QStringLiteral("situacoes"));
        auto table = bounded->table(QStringLiteral("situacoes"));
        QCOMPARE(table->columns(), expected->columns());
        QCOMPARE(table->rowCount(), 6);
        SourceRow want, got;
        int rows = 0;
        while (expected->next(want)) {
            QVERIFY(table->next(got));
            QCOMPARE(got.size(), want.size());
            for (int c = 0; c < want.size(); ++c) {
                QCOMPARE(got[c].type, want[c].type);
                QCOMPARE(got[c].integer, want[c].integer);
                QCOMPARE(got[c].real, want[c].real);
                QCOMPARE(got[c].text, want[c].text);
                QCOMPARE(got[c].bytes, want[c].bytes);
            }
            ++rows;
        }
        QCOMPARE(rows, 6);
        QVERIFY(!table->next(got));
        // A refusal of the reader comes back as it is.
        QVERIFY(kq::test::writeAll(path, kq::test::oldDevolvidosBytes().left(4096 * 30)));
        QString message;
        try {
            kq::import::openBoundedJetDatabase(path, kq::import::readerLimits(0));
        } catch (const kq::import::ImportError &e) {
            message = e.message();
        }
        QVERIFY2(message.startsWith("O arquivo devolvidos.mdb está incompleto ou danificado"),
                 qPrintable(message));
    }

    void readsTheFileAgainFromTheStart()
    {
        auto db = kq::import::openJetDatabase(kq::test::jetFixture());
        for (int pass = 0; pass < 2; ++pass) {
            auto table = db->table(QStringLiteral("DateTest"));
            SourceRow row;
            int n = 0;
            while (table->next(row))
                ++n;
            QCOMPARE(n, 6);
        }
    }

    // What the reader refuses, with a message naming the file and the cause.
    void refusesWhatIsNotAWholeJetFile_data()
    {
        const QByteArray jet = kq::test::fileBytes(kq::test::jetFixture());
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("said");
        QTest::newRow("empty file") << QByteArray() << "não é um banco de dados do Access";
        QTest::newRow("a text file") << QByteArray("CD_CLIENTE;NM_CLIENTE\n00001;Ana\n")
                                     << "não é um banco de dados do Access";
        QTest::newRow("an SQLite database")
            << QByteArray("SQLite format 3\0", 16).leftJustified(8192, '\0')
            << "não é um banco de dados do Access";
        QTest::newRow("a newer Access")
            << kq::test::newerAccessBytes() << "versão mais nova do Access";
        QTest::newRow("cut inside a page") << jet.left(100000) << "incompleto ou danificado";
        QTest::newRow("only the first pages") << jet.left(4096 * 2) << "incompleto ou danificado";
        // Whole pages, but the table's pages are gone.
        QTest::newRow("cut at a page") << jet.left(4096 * 20) << "incompleto ou danificado";
        QTest::newRow("cut after the catalog") << jet.left(4096 * 30) << "incompleto ou danificado";
    }
    void refusesWhatIsNotAWholeJetFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, said);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("devolvidos.mdb"));
        QVERIFY(kq::test::writeAll(path, bytes));
        QString message;
        try {
            auto db = kq::import::openJetDatabase(path);
            for (const QString &name : db->tableNames()) {
                auto table = db->table(name);
                SourceRow row;
                while (table->next(row)) {
                }
            }
        } catch (const kq::import::ImportError &e) {
            message = e.message();
        }
        QVERIFY2(message.contains(said), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("devolvidos.mdb")), qPrintable(message));
        QCOMPARE(kq::test::fileBytes(path), bytes);
    }

    void tellsTheFormatFromTheFirstBytes()
    {
        QTemporaryDir dir;
        const QString newer = dir.filePath(QStringLiteral("a.mdb"));
        QVERIFY(kq::test::writeAll(newer, kq::test::newerAccessBytes()));
        QCOMPARE(kq::import::accessFormat(kq::test::jetFixture()), kq::import::AccessFormat::Jet4);
        QCOMPARE(kq::import::accessFormat(newer), kq::import::AccessFormat::Newer);
        QByteArray jet3 = kq::test::fileBytes(kq::test::jetFixture()).left(0x20);
        jet3[0x14] = 0;
        QVERIFY(kq::test::writeAll(newer, jet3));
        QCOMPARE(kq::import::accessFormat(newer), kq::import::AccessFormat::Jet3);
        QCOMPARE(kq::import::accessFormat(dir.filePath(QStringLiteral("none.mdb"))),
                 kq::import::AccessFormat::NotAccess);
    }
};

QTEST_GUILESS_MAIN(tst_jetreader)
#include "tst_jetreader.moc"
