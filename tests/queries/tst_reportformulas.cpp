// Selection formulas of the report launchers: their text, and what the
// report engine's parser makes of them (the period's days and the codes as
// bound values).
#include "core/selectionformula.h"
#include "queries/rules/reportformulas.h"

#include <QtTest>

using namespace kq::queries;
using kq::platform::parseSelectionFormula;

namespace {

const QDate d1(2026, 3, 1);
const QDate d2(2026, 3, 31);

QString lowerResolver(const QString &table, const QString &field)
{
    return table.toLower() + '.' + field.toLower();
}

} // namespace

class tst_reportformulas : public QObject
{
    Q_OBJECT

private slots:
    void formulas_data();
    void formulas();
    void parsed_data();
    void parsed();
    void formulaDates_data();
    void formulaDates();
};

void tst_reportformulas::formulas_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QString>("expected");
    QTest::newRow("frelatorios Empresa")
        << formulaChequesLoja("001", d1, d2)
        << "{devolvidos.cd_loja}= '001' AND {devolvidos.dt_deposito} >=  #2026/03/01# AND "
           "{devolvidos.dt_deposito} <= #2026/03/31#";
    QTest::newRow("frelatorios Todos") << formulaChequesTodos(d1, d2)
                                       << "{devolvidos.dt_deposito} >=  #2026/03/01# AND "
                                          "{devolvidos.dt_deposito} <= #2026/03/31#";
    QTest::newRow("frelatoriosvantesca")
        << formulaVantesca(d1, d2)
        << "{VANTESCA.dt_VANTESCA} >=  #2026/03/01# AND {VANTESCA.dt_VANTESCA} <= #2026/03/31#";
    QTest::newRow("frelatorioscliente")
        << formulaVantescaCliente("00007", d1, d2)
        << "{VANTESCA.cd_CLIENTE}= '00007' AND {VANTESCA.dt_VANTESCA} >=  #2026/03/01# AND "
           "{VANTESCA.dt_VANTESCA} <= #2026/03/31#";
    QTest::newRow("Acordos por cliente (the example)")
        << formulaAcordosLoja(d1, d2, "001")
        << "{acordos.dt_acordo} >=  #2026/03/01# AND {acordos.dt_acordo} <= #2026/03/31# and "
           "{acordos.cd_loja}='001'";
    QTest::newRow("Acordos geral")
        << formulaAcordosGeral(d1, d2)
        << "{acordos.dt_acordo} >=  #2026/03/01# AND {acordos.dt_acordo} <= #2026/03/31#";
    QTest::newRow("Parcelamento, no store chosen")
        << formulaParcelasLoja(d1, d2, "")
        << "{parcelas.dt_vencimento} >=  #2026/03/01# AND {parcelas.dt_vencimento} <= "
           "#2026/03/31# and {parcelas.cd_loja}=''";
    QTest::newRow("Parcelamento geral")
        << formulaParcelasGeral(d1, d2)
        << "{parcelas.dt_vencimento} >=  #2026/03/01# AND {parcelas.dt_vencimento} <= "
           "#2026/03/31#";
    QTest::newRow("apostrophe in a code stays inside its text")
        << kq::platform::formulaText("0'1") << "'0''1'";
}

void tst_reportformulas::formulas()
{
    QFETCH(QString, formula);
    QFETCH(QString, expected);
    QCOMPARE(formula, expected);
}

// Every launcher's formula parses; the days of the period and the codes
// reach the SQL only as values, whatever a code holds.
void tst_reportformulas::parsed_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QString>("where");
    QTest::addColumn<QVariantList>("values");
    QTest::newRow("cheques of a store")
        << formulaChequesLoja("001", d1, d2)
        << "devolvidos.cd_loja = ? AND devolvidos.dt_deposito >= ? AND "
           "devolvidos.dt_deposito <= ?"
        << QVariantList{"001", d1, d2};
    QTest::newRow("contacts of a debtor")
        << formulaVantescaCliente("0'7 OR 1=1", d1, d2)
        << "vantesca.cd_cliente = ? AND vantesca.dt_vantesca >= ? AND vantesca.dt_vantesca <= ?"
        << QVariantList{"0'7 OR 1=1", d1, d2};
    QTest::newRow("agreements of a store")
        << formulaAcordosLoja(d1, d2, "{x}")
        << "acordos.dt_acordo >= ? AND acordos.dt_acordo <= ? AND acordos.cd_loja = ?"
        << QVariantList{d1, d2, "{x}"};
    QTest::newRow("instalments, one day")
        << formulaParcelasGeral(d2, d2)
        << "parcelas.dt_vencimento >= ? AND parcelas.dt_vencimento <= ?" << QVariantList{d2, d2};
    QTest::newRow("all cheques over the year's end")
        << formulaChequesTodos(QDate(2025, 12, 31), QDate(2026, 1, 1))
        << "devolvidos.dt_deposito >= ? AND devolvidos.dt_deposito <= ?"
        << QVariantList{QDate(2025, 12, 31), QDate(2026, 1, 1)};
}

void tst_reportformulas::parsed()
{
    QFETCH(QString, formula);
    QFETCH(QString, where);
    QFETCH(QVariantList, values);
    QString error;
    const auto c = parseSelectionFormula(formula, lowerResolver, &error);
    QVERIFY2(c, qPrintable(error));
    QCOMPARE(c->where, where);
    QCOMPARE(c->values, values);
}

void tst_reportformulas::formulaDates_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("text");
    QTest::newRow("padded") << QDate(2026, 3, 1) << "2026/03/01";
    QTest::newRow("end of year") << QDate(2025, 12, 31) << "2025/12/31";
    QTest::newRow("leap day") << QDate(2024, 2, 29) << "2024/02/29";
}

void tst_reportformulas::formulaDates()
{
    QFETCH(QDate, date);
    QFETCH(QString, text);
    QCOMPARE(formulaDate(date), text);
}

QTEST_GUILESS_MAIN(tst_reportformulas)
#include "tst_reportformulas.moc"
