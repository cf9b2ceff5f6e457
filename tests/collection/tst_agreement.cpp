// The agreement arithmetic: corrected values, interest by the day, fine,
// fees, totals, the Price plan, counts, due dates and the figures a save
// takes.
#include "collection/rules/agreement.h"
#include "data/database.h"
#include "data/recordset.h"
#include "core/format.h"
#include "support/base_data.h"
#include "support/base_server.h"
#include "support/shell_agreement_fixture.h"

#include <QLocale>
#include <QtTest>

using namespace kq::collection;
using kq::platform::formatFixed2;
using kq::platform::formatPlain;
using kq::platform::parseNumber;
using kq::shell::CorrectionTable;

Q_DECLARE_METATYPE(QVector<Cheque>)

class tst_agreement : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        KQ_SKIP_WITHOUT_SERVER();
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    }

    void calculation_data();
    void calculation();
    void missingFactors();
    void plan_data();
    void plan();
    void count_data();
    void count();
    void dueDates_data();
    void dueDates();
    void readBack();
    void readBackRefusals_data();
    void readBackRefusals();
    void gridSourceQuotes();
};

namespace {

const QDate kToday(2025, 3, 1);

StoreTerms store(double juros, double multa, double honorarios)
{
    StoreTerms t;
    t.cdLoja = QStringLiteral("001");
    t.jurosPraticado = juros;
    t.multa = multa;
    t.honorarios = honorarios;
    t.nrParcelasAcordo = QStringLiteral("3");
    t.jurosAcordo = QStringLiteral("2");
    return t;
}

Cheque cheque(const QString &key, const QDate &deposit, double value)
{
    Cheque c;
    c.cdDevolvido = key;
    c.dtDeposito = deposit;
    c.vlCheque = value;
    return c;
}

// The figures as the agreement screen shows them: aberto, juros, multa,
// honorários, correção (a plain 0 with no cheque) and total.
QStringList shown(const Calculation &c)
{
    return {formatFixed2(c.valoraberto),
            formatFixed2(c.vlJuros),
            formatFixed2(c.vlMulta),
            formatFixed2(c.vlHonorarios),
            c.cheques.isEmpty() ? formatPlain(c.correcao) : formatFixed2(c.correcao),
            formatPlain(c.vlTotal)};
}

} // namespace

void tst_agreement::calculation_data()
{
    QTest::addColumn<QVector<Cheque>>("cheques");
    QTest::addColumn<double>("janFactor"); // factor of January 2025
    QTest::addColumn<double>("reference");
    QTest::addColumn<double>("juros");
    QTest::addColumn<QStringList>("expected"); // aberto, juros, multa, honor., correcao, total

    const QVector<Cheque> two
        = {cheque("1", QDate(2025, 1, 15), 100), cheque("2", QDate(2025, 2, 19), 200)};
    // 100 x 0.03 / 30 x 45 + 200 x 0.03 / 30 x 10 = 4.5 + 2.0
    QTest::newRow("equal factors")
        << two << 1.2 << 1.2 << 3.0
        << QStringList{"300,00", "6,50", "6,00", "30,00", "0,00", "342,5"};
    // The first cheque rises to 125,00: its interest is 125 x 0.001 x 45 = 5.625.
    QTest::newRow("corrected 1.5/1.2")
        << two << 1.2 << 1.5 << 3.0
        << QStringList{"300,00", "7,63", "6,00", "30,00", "25,00", "368,63"};
    QTest::newRow("45 days at 3 %")
        << QVector<Cheque>{cheque("1", kToday.addDays(-45), 100)} << 1.5 << 1.5 << 3.0
        << QStringList{"100,00", "4,50", "2,00", "10,00", "0,00", "116,5"};
    QTest::newRow("deposited today")
        << QVector<Cheque>{cheque("1", kToday, 250)} << 1.0 << 1.5 << 3.0
        << QStringList{"250,00", "0,00", "5,00", "25,00", "0,00", "280"};
    QTest::newRow("no cheque") << QVector<Cheque>{} << 1.0 << 1.0 << 3.0
                               << QStringList{"0,00", "0,00", "0,00", "0,00", "0", "0"};
}

void tst_agreement::calculation()
{
    QFETCH(QVector<Cheque>, cheques);
    QFETCH(double, janFactor);
    QFETCH(double, reference);
    QFETCH(double, juros);
    QFETCH(QStringList, expected);

    CorrectionTable table;
    table.insert("2025/01", janFactor);
    table.insert("2025/02", reference);
    table.insert("2025/03", reference);
    const Calculation c = calculate(cheques, store(juros, 2, 10), table, reference, kToday);
    QCOMPARE(shown(c), expected);
    QCOMPARE(c.nrParcelas, QString("3"));
    QCOMPARE(c.vlJurosParcelamento, QString("2"));
    QVERIFY(c.missingMonths.isEmpty());
    double corrected = 0;
    for (const ChequeCalc &cc : c.cheques)
        corrected += cc.vlAtualizado - cc.vlCheque;
    QCOMPARE(formatFixed2(corrected), cheques.isEmpty() ? "0,00" : expected[4]);
}

void tst_agreement::missingFactors()
{
    CorrectionTable table;
    table.insert("2024/11", 0.0); // a zero factor counts as missing
    table.insert("2025/02", 2.0);
    const QVector<Cheque> cheques
        = {cheque("1", QDate(2024, 10, 5), 100), cheque("2", QDate(2024, 11, 5), 100),
           cheque("3", QDate(2024, 10, 20), 50), cheque("4", QDate(2025, 2, 1), 10)};
    Calculation c = calculate(cheques, store(0, 0, 0), table, 3.0, kToday);
    QCOMPARE(c.missingMonths, (QStringList{"2024/10", "2024/11"}));
    QCOMPARE(c.cheques[0].vlAtualizado, 100.0);
    QCOMPARE(c.cheques[1].vlAtualizado, 100.0);
    QCOMPARE(c.cheques[2].vlAtualizado, 50.0);
    QCOMPARE(c.cheques[3].vlAtualizado, 15.0);
    QCOMPARE(formatFixed2(c.correcao), QString("5,00"));
    QVERIFY(!c.noReferenceFactor);

    // No reference factor at all (an empty correction table): face values.
    c = calculate(cheques, store(0, 0, 0), CorrectionTable(), std::nullopt, kToday);
    QVERIFY(c.noReferenceFactor);
    QCOMPARE(formatFixed2(c.correcao), QString("0,00"));
    QCOMPARE(formatPlain(c.vlTotal), QString("260"));
}

void tst_agreement::plan_data()
{
    QTest::addColumn<QString>("total");
    QTest::addColumn<QString>("honorarios");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<bool>("currency");        // the instalment in currency form
    QTest::addColumn<QStringList>("expected"); // parcela, financiado, honorarios; empty: none

    const bool store = false;
    const bool rate = true;
    QTest::newRow("price 1 %") << "1000"
                               << "0,00"
                               << "12"
                               << "1" << store << QStringList{"88,85", "1066,2", "0,00"};
    QTest::newRow("worked example") << "342,5"
                                    << "30,00"
                                    << "3"
                                    << "2" << store << QStringList{"118,76", "356,28", "10,40"};
    QTest::newRow("currency form") << "342,5"
                                   << "30,00"
                                   << "3"
                                   << "2" << rate << QStringList{"R$ 118,76", "356,28", "10,40"};
    QTest::newRow("rate 0") << "342,5"
                            << "30,00"
                            << "3"
                            << "0" << store << QStringList{"114,17", "342,51", "10,00"};
    QTest::newRow("currency thousands")
        << "12000"
        << "0"
        << "1"
        << "0" << rate << QStringList{"R$ 12.000,00", "12000", "0,00"};
    QTest::newRow("count 0") << "1000"
                             << "0"
                             << "0"
                             << "1" << store << QStringList{};
    QTest::newRow("count text") << "1000"
                                << "0"
                                << "abc"
                                << "1" << store << QStringList{};
    QTest::newRow("empty rate") << "1000"
                                << "0"
                                << "3"
                                << "" << store << QStringList{};
    QTest::newRow("no total yet") << ""
                                  << ""
                                  << "3"
                                  << "2" << rate << QStringList{};
}

void tst_agreement::plan()
{
    QFETCH(QString, total);
    QFETCH(QString, honorarios);
    QFETCH(QString, count);
    QFETCH(QString, rate);
    QFETCH(bool, currency);
    QFETCH(QStringList, expected);

    // The screen's boxes read as numbers; no plan when one is not a number.
    const auto t = parseNumber(total);
    const auto h = parseNumber(honorarios);
    const auto n = parseNumber(count);
    const auto r = parseNumber(rate);
    if (!t || !h || !n || !r) {
        QVERIFY(expected.isEmpty());
        return;
    }
    const auto p = computePlan(*t, *h, *n, *r);
    QCOMPARE(p.has_value(), !expected.isEmpty());
    if (!p)
        return;
    const QString parcela
        = currency ? kq::platform::formatCurrency(p->vlParcela) : formatFixed2(p->vlParcela);
    QCOMPARE(QString(parcela).replace(QChar(0xa0), ' '), expected[0]);
    QCOMPARE(formatPlain(p->vlFinanciado), expected[1]);
    QCOMPARE(formatFixed2(p->vlHonorariosParcela), expected[2]);
}

void tst_agreement::count_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected"); // 0: refused
    QTest::newRow("1") << "1" << 1;
    QTest::newRow("32") << "32" << 32;
    QTest::newRow("3,0") << "3,0" << 3;
    QTest::newRow("0") << "0" << 0;
    QTest::newRow("33") << "33" << 0;
    QTest::newRow("-1") << "-1" << 0;
    QTest::newRow("2,5") << "2,5" << 0;
    QTest::newRow("text") << "tres" << 0;
    QTest::newRow("empty") << "" << 0;
}

void tst_agreement::count()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(instalmentCount(parseNumber(text)).value_or(0), expected);
}

void tst_agreement::dueDates_data()
{
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QList<QDate>>("expected");
    QTest::newRow("10/01/2025") << QDate(2025, 1, 10)
                                << QList<QDate>{{2025, 2, 10}, {2025, 3, 10}, {2025, 4, 10}};
    QTest::newRow("31/01/2025") << QDate(2025, 1, 31)
                                << QList<QDate>{{2025, 2, 28}, {2025, 3, 31}, {2025, 4, 30}};
    QTest::newRow("over the year")
        << QDate(2024, 11, 30) << QList<QDate>{{2024, 12, 30}, {2025, 1, 30}, {2025, 2, 28}};
}

void tst_agreement::dueDates()
{
    QFETCH(QDate, first);
    QFETCH(QList<QDate>, expected);
    for (int k = 1; k <= expected.size(); ++k)
        QCOMPARE(dueDate(first, k), expected[k - 1]);
}

namespace {
Calculation goodCalculation()
{
    Calculation c;
    c.valoraberto = 300;
    c.vlJuros = 6.5;
    c.vlMulta = 6;
    c.vlHonorarios = 30;
    c.correcao = 0;
    c.vlTotal = 342.5;
    return c;
}

Plan goodPlan()
{
    Plan p;
    p.vlParcela = *parseNumber("R$ 1.234,56");
    p.vlFinanciado = 3703.68;
    p.vlHonorariosParcela = 10.4;
    return p;
}

AgreementEntries goodEntries()
{
    return {parseNumber("3"), parseNumber("2"), kq::platform::parseDate("10/01/2025")};
}
} // namespace

void tst_agreement::readBack()
{
    Agreement a;
    QVERIFY(!readAgreement(goodCalculation(), goodPlan(), goodEntries(), a));
    QCOMPARE(a.vlParcela, 1234.56); // the currency-formatted instalment as its number
    QCOMPARE(a.vlFinanciado, 3703.68);
    QCOMPARE(a.nrParcelas, 3);
    QCOMPARE(a.vlJurosAcordo, 2.0);
    QCOMPARE(a.vlJuros, 6.5);
    QCOMPARE(a.dt1Vencimento, QDate(2025, 1, 10));
}

void tst_agreement::readBackRefusals_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const QString count = "O número de parcelas deve ser um número inteiro de 1 a 32!!";
    QTest::newRow("count 0") << "count"
                             << "0" << count;
    QTest::newRow("count 33") << "count"
                              << "33" << count;
    QTest::newRow("count 2,5") << "count"
                               << "2,5" << count;
    QTest::newRow("count empty") << "count"
                                 << "" << count;
    QTest::newRow("rate") << "rate"
                          << "dois"
                          << "Os juros do parcelamento devem ser um número!!";
    QTest::newRow("instalment") << "parcela"
                                << ""
                                << "Os valores do cálculo não são números. "
                                   "Escolha a empresa novamente!!";
    QTest::newRow("empty date") << "date"
                                << "__/__/____"
                                << "Data do 1º vencimento inválida!!";
    QTest::newRow("31/02") << "date"
                           << "31/02/2025"
                           << "Data do 1º vencimento inválida!!";
}

void tst_agreement::readBackRefusals()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, message);
    AgreementEntries e = goodEntries();
    std::optional<Plan> plan = goodPlan();
    if (field == "count")
        e.nrParcelas = parseNumber(text);
    else if (field == "rate")
        e.vlJurosParcelamento = parseNumber(text);
    else if (field == "parcela")
        plan.reset(); // no plan shown: its boxes are empty
    else
        e.dtPrimeira = kq::platform::parseDate(text);
    Agreement a;
    a.nrParcelas = 7;
    QCOMPARE(readAgreement(goodCalculation(), plan, e, a).value_or(QString()), message);
    QCOMPARE(a.nrParcelas, 7);
}

void tst_agreement::gridSourceQuotes()
{
    // Codes are looked for as they are: a quote, a control character or a NUL
    // in a code neither breaks the source nor finds another store's cheques.
    kq::test::TempDataFolder folder;
    const QString db = folder.devolvidos();
    // A server keeps no NUL in a text (refused on writing).
    const QString nul
        = kq::data::dialectOf(db) == kq::data::Dialect::Postgres ? QString() : QString(QChar(0));
    const QString odd = QStringLiteral("0'") + nul + QStringLiteral("\t");
    kq::test::addDebtor(db, "00001", "ANA");
    kq::test::addStore(db, "001", "LOJA", 1, 0, 0, 1, 0);
    kq::test::addStore(db, odd, "LOJA ESTRANHA", 1, 0, 0, 1, 0);
    kq::test::addCheque(db, "0000000001", "00001", "001", QDate(2026, 1, 5), 10);
    kq::test::addCheque(db, "0000000002", "00001", odd, QDate(2026, 1, 6), 20);
    for (const auto &[store, key] :
         {std::pair{QStringLiteral("001"), "0000000001"}, std::pair{odd, "0000000002"}}) {
        kq::data::Recordset rs(db, chequeGridSource("00001", store));
        QCOMPARE(rs.recordCount(), 1);
        QCOMPARE(rs.text("CD_DEVOLVIDO"), QString::fromLatin1(key));
    }
    QCOMPARE(kq::data::Recordset(db, chequeGridSource("00001", "0'")).recordCount(), 0);
}

QTEST_GUILESS_MAIN(tst_agreement)
#include "tst_agreement.moc"
