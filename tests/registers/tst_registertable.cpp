#include "data/datafolder.h"
#include "core/errorinfo.h"
#include "registers/storecolors.h"
#include "shell/services/registerscreen.h"
#include "support/base_folders.h"
#include "support/shell_registers_fixture.h"

#include <QTest>

using kq::shell::FieldValues;
using kq::shell::RegisterTable;

namespace {
// A destinations table holding the given keys.
struct Destinos
{
    explicit Destinos(const QStringList &keys)
    {
        kq::data::prepareDataFolder(folders.dataFolder());
        kq::test::reg::clearTable(db(), "destinos");
        for (const QString &k : keys)
            kq::test::reg::insertRow(db(), "destinos", {"CD_destino", "DS_destino"}, {k, "D" + k});
        table.open(db(), "select * from  destinos order by cd_destino");
    }
    QString db() const { return folders.dataFile(kq::data::kDevolvidos); }
    QString desc(const QString &key) const
    {
        return kq::test::reg::fieldOf(db(), "destinos", "CD_destino", key, "DS_destino").toString();
    }

    kq::test::TempFolders folders;
    RegisterTable table{"CD_destino", 3};
};

QStringList range(int from, int to)
{
    QStringList keys;
    for (int i = from; i <= to; ++i)
        keys << QString("%1").arg(i, 3, 10, QChar('0'));
    return keys;
}

kq::shell::FieldSource description(const QString &text)
{
    return [text] {
        return FieldValues{{"DS_destino", text}};
    };
}
} // namespace

class tst_registertable : public QObject
{
    Q_OBJECT
private slots:
    void nextKey_data()
    {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("next");
        QTest::newRow("empty") << QStringList() << "001";
        QTest::newRow("001-009") << range(1, 9) << "010";
        QTest::newRow("gap left by 005") << (range(1, 4) + range(6, 9)) << "010";
        QTest::newRow("highest deleted") << range(1, 8) << "009";
        QTest::newRow("after 999") << QStringList{"998", "999"} << "1000";
        // "1000" sorts before "999": the last key stays 999.
        QTest::newRow("1000 taken") << QStringList{"1000", "999"} << "1000";
    }
    void nextKey()
    {
        QFETCH(QStringList, keys);
        QFETCH(QString, next);
        Destinos d(keys);
        QCOMPARE(d.table.nextKey(), next);
    }

    void keyWidths_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("next");
        QTest::newRow("2 empty") << 2 << ""
                                 << "01";
        QTest::newRow("2 after 09") << 2 << "09"
                                    << "10";
        QTest::newRow("2 after 99") << 2 << "99"
                                    << "100";
        QTest::newRow("5 empty") << 5 << ""
                                 << "00001";
        QTest::newRow("5 after 99999") << 5 << "99999"
                                       << "100000";
    }
    void keyWidths()
    {
        QFETCH(int, width);
        QFETCH(QString, last);
        QFETCH(QString, next);
        Destinos d(last.isEmpty() ? QStringList() : QStringList{last});
        RegisterTable t("CD_destino", width);
        t.open(d.db(), "select * from  destinos order by cd_destino");
        QCOMPARE(t.nextKey(), next);
    }

    void lastKeyNotANumberFails()
    {
        Destinos d({"001", "0X2"});
        QVERIFY_THROWS_EXCEPTION(std::exception, d.table.nextKey());
    }

    void includeOnlyWhenTheKeyIsFree()
    {
        Destinos d({"001"});
        QVERIFY(!d.table.include("001", description("OUTRO")));
        QCOMPARE(d.desc("001"), QString("D001"));
        QVERIFY(d.table.include("002", description("NOVO")));
        QCOMPARE(d.desc("002"), QString("NOVO"));
    }

    void keyWidthLimitAddsOnceThenNothing()
    {
        Destinos d({"999"});
        QString key = d.table.nextKey();
        QVERIFY(d.table.include(key, description("MIL")));
        d.table.refresh();
        key = d.table.nextKey();
        QCOMPARE(key, QString("1000"));
        QVERIFY(!d.table.include(key, description("OUTRO")));
        QCOMPARE(kq::test::reg::rowCount(d.db(), "destinos"), 2);
    }

    void alterAndRemoveTouchOnlyTheNamedRecord()
    {
        Destinos d({"001", "002", "003"});
        QVERIFY(!d.table.alter("004", description("X")));
        QVERIFY(d.table.alter("002", description("DOIS")));
        QCOMPARE(d.desc("002"), QString("DOIS"));
        QCOMPARE(d.desc("001"), QString("D001"));
        QVERIFY(!d.table.remove("009"));
        QVERIFY(d.table.remove("003"));
        QCOMPARE(kq::test::reg::keysOf(d.db(), "destinos", "CD_destino"),
                 (QStringList{"001", "002"}));
    }

    // Keys holding a quote find exactly what they name or nothing.
    void quoteInAKey_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("found");
        QTest::newRow("crafted") << "x' OR ''='" << false;
        QTest::newRow("quote") << "0'1" << false;
        QTest::newRow("stored with a quote") << "A'B" << true;
    }
    void quoteInAKey()
    {
        QFETCH(QString, key);
        QFETCH(bool, found);
        Destinos d({"001", "002", "A'B"});
        d.table.refresh();
        QCOMPARE(d.table.alter(key, description("ALTERADO")), found);
        QCOMPARE(d.table.remove(key), found);
        QCOMPARE(d.desc("001"), QString("D001"));
        QCOMPARE(d.desc("002"), QString("D002"));
        QCOMPARE(kq::test::reg::rowCount(d.db(), "destinos"), found ? 2 : 3);
    }

    void failingValueWritesNothing()
    {
        Destinos d({"001"});
        auto failing = []() -> FieldValues {
            throw kq::platform::RuntimeError(13, "Tipos incompatíveis");
        };
        QVERIFY_THROWS_EXCEPTION(kq::platform::RuntimeError, d.table.include("002", failing));
        QVERIFY_THROWS_EXCEPTION(kq::platform::RuntimeError, d.table.alter("001", failing));
        QCOMPARE(kq::test::reg::rowCount(d.db(), "destinos"), 1);
        QCOMPARE(d.desc("001"), QString("D001"));
        // The recordset is usable afterwards.
        QVERIFY(d.table.include("002", description("OK")));
    }

    void numbersTypedInBoxes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("number");
        QTest::addColumn<bool>("whole");
        QTest::newRow("zero") << "0" << true << true;
        QTest::newRow("comma decimal") << "2,5" << true << false;
        QTest::newRow("whole") << "12" << true << true;
        QTest::newRow("empty") << "" << false << false;
        QTest::newRow("letters") << "abc" << false << false;
    }
    void numbersTypedInBoxes()
    {
        QFETCH(QString, text);
        QFETCH(bool, number);
        QFETCH(bool, whole);
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        bool gotNumber = true;
        bool gotWhole = true;
        try {
            kq::shell::numberField(text, "vl_juros");
        } catch (const kq::platform::RuntimeError &e) {
            QCOMPARE(e.info().number, 13);
            gotNumber = false;
        }
        try {
            kq::shell::wholeNumberField(text, "nr_parcelas");
        } catch (const kq::platform::RuntimeError &) {
            gotWhole = false;
        }
        QCOMPARE(gotNumber, number);
        QCOMPARE(gotWhole, whole);
    }

    void storeColorText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QColor>("color");
        QTest::newRow("red") << "255" << true << QColor(255, 0, 0);
        QTest::newRow("green") << "65280" << true << QColor(0, 255, 0);
        QTest::newRow("blue") << "16711680" << true << QColor(0, 0, 255);
        QTest::newRow("black") << "0" << true << QColor(0, 0, 0);
        QTest::newRow("white") << "16777215" << true << QColor(255, 255, 255);
        QTest::newRow("empty") << "" << false << QColor();
        QTest::newRow("typed text") << "azul" << false << QColor();
        QTest::newRow("system colour") << "-2147483643" << false << QColor();
        QTest::newRow("too large") << "16777216" << false << QColor();
    }
    void storeColorText()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(QColor, color);
        const std::optional<QColor> c = kq::registers::colorFromText(text);
        QCOMPARE(c.has_value(), valid);
        if (valid) {
            QCOMPARE(*c, color);
            QCOMPARE(kq::registers::colorText(*c), text);
        }
    }
};

QTEST_MAIN(tst_registertable)
#include "tst_registertable.moc"
