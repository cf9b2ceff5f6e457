// Rules of the cube screen's tools without widgets: save flags and password,
// the password prompt, web addresses, and the ranking's sort settings.
#include "cube/rules/cubefilerules.h"
#include "cube/rules/rankrules.h"

#include <QtTest>

using namespace kq::cube;

Q_DECLARE_METATYPE(kq::cube::SortSettings)

class tst_cubescreenrules : public QObject
{
    Q_OBJECT

private slots:
    void flags_data();
    void flags();
    void password_data();
    void password();
    void prompt();
    void webAddress();
    void optionForSettings_data();
    void optionForSettings();
    void chooseOption_data();
    void chooseOption();
    void chooseEntry_data();
    void chooseEntry();
};

void tst_cubescreenrules::flags_data()
{
    QTest::addColumn<bool>("withData");
    QTest::addColumn<bool>("compress");
    QTest::addColumn<int>("flags");
    QTest::newRow("layout only") << false << false << 0;
    QTest::newRow("layout and data") << true << false << 1;
    QTest::newRow("layout compressed") << false << true << 2;
    QTest::newRow("layout and data compressed") << true << true << 3;
}

void tst_cubescreenrules::flags()
{
    QFETCH(bool, withData);
    QFETCH(bool, compress);
    QFETCH(int, flags);
    QCOMPARE(saveFlags(withData, compress), flags);
}

void tst_cubescreenrules::password_data()
{
    QTest::addColumn<bool>("require");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("not required, text typed") << false << "segredo"
                                              << "";
    QTest::newRow("blanks around") << true << "  segredo  "
                                   << "segredo";
    QTest::newRow("inner blank kept") << true << " se gredo"
                                      << "se gredo";
    QTest::newRow("tab is no blank") << true << "\tsegredo "
                                     << "\tsegredo";
    QTest::newRow("only blanks") << true << "   "
                                 << "";
}

void tst_cubescreenrules::password()
{
    QFETCH(bool, require);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QCOMPARE(savePassword(require, typed), expected);
}

void tst_cubescreenrules::prompt()
{
    QCOMPARE(passwordPrompt(2, 3),
             QStringLiteral("Por favor digite a senha correta para abrir esse arquivo.\r\n"
                            "2 of 3 chance(s)..."));
    QCOMPARE(unexpectedLoadErrorText(1030, QStringLiteral("Not a cube file")),
             QStringLiteral("Erro inesperado \r\n1030\r\nNot a cube file"));
}

void tst_cubescreenrules::webAddress()
{
    QVERIFY(isWebAddress(QStringLiteral("HTTP://example.org/a.cub")));
    QVERIFY(isWebAddress(QStringLiteral("see http://x")));
    QVERIFY(!isWebAddress(QStringLiteral("/home/ana/http/a.cub")));
    QVERIFY(!isWebAddress(QStringLiteral("https://example.org/a.cub")));
}

void tst_cubescreenrules::optionForSettings_data()
{
    QTest::addColumn<SortSettings>("settings");
    QTest::addColumn<int>("option");
    QTest::newRow("labels ascending") << SortSettings{0, 0, 0} << 0;
    QTest::newRow("labels descending") << SortSettings{0, 0, 1} << 2;
    QTest::newRow("ranked ascending") << SortSettings{1, 2, 0} << 1;
    QTest::newRow("ranked descending") << SortSettings{2, 1, 1} << 2;
}

void tst_cubescreenrules::optionForSettings()
{
    QFETCH(SortSettings, settings);
    QFETCH(int, option);
    QCOMPARE(sortOptionFor(settings), option);
}

void tst_cubescreenrules::chooseOption_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<SortSettings>("before");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<SortSettings>("after");
    QTest::addColumn<bool>("resort");
    QTest::addColumn<bool>("labels");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("padrao from labels descending")
        << 0 << SortSettings{0, 0, 1} << false << SortSettings{0, 0, 0} << true << true << false;
    QTest::newRow("padrao from ranked")
        << 0 << SortSettings{2, 1, 0} << false << SortSettings{0, 0, 0} << false << true << false;
    QTest::newRow("padrao while busy")
        << 0 << SortSettings{0, 0, 1} << true << SortSettings{0, 0, 1} << false << true << false;
    QTest::newRow("descending on labels")
        << 2 << SortSettings{0, 0, 0} << false << SortSettings{0, 0, 1} << true << true << true;
    QTest::newRow("descending again")
        << 2 << SortSettings{0, 0, 1} << false << SortSettings{0, 0, 1} << false << true << true;
    QTest::newRow("ascending on labels descending")
        << 1 << SortSettings{0, 0, 1} << false << SortSettings{0, 0, 0} << true << true << true;
    QTest::newRow("ascending on ranked")
        << 1 << SortSettings{2, 1, 0} << false << SortSettings{1, 1, 0} << false << false << true;
    QTest::newRow("descending on ranked while busy")
        << 2 << SortSettings{2, 2, 0} << true << SortSettings{2, 2, 0} << false << false << true;
}

void tst_cubescreenrules::chooseOption()
{
    QFETCH(int, index);
    QFETCH(SortSettings, before);
    QFETCH(bool, busy);
    QFETCH(SortSettings, after);
    QFETCH(bool, resort);
    QFETCH(bool, labels);
    QFETCH(bool, enabled);
    SortSettings s = before;
    const OptionOutcome out = chooseSortOption(index, s, busy);
    QCOMPARE(s.sortType, after.sortType);
    QCOMPARE(s.rankDataField, after.rankDataField);
    QCOMPARE(s.labelDescending, after.labelDescending);
    QCOMPARE(out.resort, resort);
    QCOMPARE(out.selectLabels, labels);
    QCOMPARE(out.selectRankField, !labels);
    QCOMPARE(out.listEnabled, enabled);
}

void tst_cubescreenrules::chooseEntry_data()
{
    QTest::addColumn<bool>("labelsEntry");
    QTest::addColumn<int>("dataIndex");
    QTest::addColumn<int>("option");
    QTest::addColumn<SortSettings>("after");
    QTest::newRow("labels under ascending") << true << 0 << 1 << SortSettings{0, 0, 0};
    QTest::newRow("labels under descending") << true << 0 << 2 << SortSettings{0, 0, 1};
    QTest::newRow("data field ascending") << false << 2 << 1 << SortSettings{1, 2, 0};
    QTest::newRow("data field descending") << false << 1 << 2 << SortSettings{2, 1, 0};
}

void tst_cubescreenrules::chooseEntry()
{
    QFETCH(bool, labelsEntry);
    QFETCH(int, dataIndex);
    QFETCH(int, option);
    QFETCH(SortSettings, after);
    SortSettings s{0, 0, 0};
    chooseRankEntry(labelsEntry, dataIndex, option, s);
    QCOMPARE(s.sortType, after.sortType);
    QCOMPARE(s.rankDataField, after.rankDataField);
    QCOMPARE(s.labelDescending, after.labelDescending);
}

QTEST_GUILESS_MAIN(tst_cubescreenrules)
#include "tst_cubescreenrules.moc"
