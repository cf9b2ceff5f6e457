// The print-outs of the three query screens: whatever the values, every
// printed text fits its cell, nothing is cut, money and dates print whole,
// plain and grouped, on paper and in the preview.

#include "data/database.h"
#include "core/format.h"
#include "platform/grid/gexpreview.h"
#include "platform/grid/gridex.h"
#include "platform/screenregistry.h"
#include "queries/frmpreview.h"
#include "queries/querypattern.h"
#include "queries/screens.h"
#include "support/base_recordingprinter.h"
#include "support/shell_agreement_fixture.h"
#include "support/shell_fixture.h"
#include "support/shell_queries_fixture.h"

#include <QCheckBox>
#include <QPushButton>
#include <QPrinter>
#include <QtTest>

using kq::platform::GridEX;
using kq::platform::ScreenRegistry;
using kq::queries::QueryScreen;

namespace {

// A debtor, a store and values wider than any designed column.
void addWideValues(const QString &db)
{
    using kq::data::exec;
    kq::test::addStore(db, "003", "LOJA DE DEPARTAMENTOS DO CENTRO DA CIDADE", 1, 0, 0, 6, 0);
    kq::test::addDebtor(db, "00004", "MARIA APARECIDA DOS SANTOS FERREIRA DE OLIVEIRA");
    kq::test::addCheque(db, "0000000008", "00004", "003", QDate(2026, 12, 31), 1234567.89);
    exec(db, "UPDATE DEVOLVIDOS SET NM_EMITENTE = 'JOSÉ DA SILVA XAVIER', "
             "NR_DOCUMENTO = '123.456.789-00', vl_atualizado = 2345678.91, "
             "CD_BANCO = '341', CD_AGENCIA = '12345', CD_CONTA = '123456789012', "
             "NR_CHEQUE = '123456789012345', dt_pagamento = '2026-12-31' "
             "WHERE CD_DEVOLVIDO = '0000000008'");
    kq::test::addAgreement(db, "00003", "00004", "003", 12, 102880.66, QDate(2026, 12, 31));
    exec(db, "UPDATE acordos SET vl_aberto = 1234567.89, vl_multa = 24691.36, "
             "vl_honorarios = 123456.79, tx_juros = 2.5, vl_jurosacordo = 1.99, "
             "vl_financiado = 1234567.92 WHERE cd_acordo = '00003'");
    exec(db, "UPDATE parcelas SET vl_honorarios = 10288.07 WHERE cd_acordo = '00003'");
}

// The text on one line, or (a group caption) over lines that follow each other.
bool printed(const QVector<kq::test::PrintedText> &texts, const QString &text)
{
    QString all;
    for (const auto &t : texts) {
        if (t.text == text)
            return true;
        all += t.text + QLatin1Char(' ');
    }
    return text.contains(QStringLiteral(": ")) && all.simplified().contains(text.simplified());
}

} // namespace

class tst_queryprint : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { kq::queries::registerQueryScreens(); }
    void init();
    void cleanup();
    void printOutFitsItsPages_data();
    void printOutFitsItsPages();
    void previewOfTheWideQueryIsLandscape();

private:
    kq::test::ShellFixture *m_fx = nullptr;
};

void tst_queryprint::init()
{
    m_fx = new kq::test::ShellFixture;
    kq::test::queries::addPortfolio(m_fx->devolvidos());
    addWideValues(m_fx->devolvidos());
}

void tst_queryprint::cleanup()
{
    delete m_fx;
    m_fx = nullptr;
}

void tst_queryprint::printOutFitsItsPages_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<int>("groupColumn"); // 0: not grouped
    QTest::addColumn<QStringList>("whole");
    const QString money = QStringLiteral("R$ 1.234.567,89");
    QTest::newRow("cheques") << "fconsultas1" << 0
                             << QStringList{money, "R$ 2.345.678,91", "31/12/2026",
                                            "123456789012345", "123.456.789-00"};
    QTest::newRow("cheques by store")
        << "fconsultas1" << 2
        << QStringList{money, "Loja: LOJA DE DEPARTAMENTOS DO CENTRO DA CIDADE  (Total= "
                              "R$ 1.234.567,89)"};
    QTest::newRow("instalments") << "fconsulta2" << 0
                                 << QStringList{"R$ 102.880,66", "31/01/2027", "10288,07"};
    QTest::newRow("instalments by store")
        << "fconsulta2" << 3
        << QStringList{"R$ 102.880,66", "Empresa: LOJA DE DEPARTAMENTOS DO CENTRO DA CIDADE  "
                                        "(Total= R$ 1.234.567,92)  Total Honorários=R$ "
                                        "123.456,84"};
    QTest::newRow("agreements") << "fconsulta3" << 0
                                << QStringList{"1234567,89", "24691,36", "31/12/2026"};
    QTest::newRow("agreements by store")
        << "fconsulta3" << 13 << QStringList{"1234567,89", "1234567,92"};
}

void tst_queryprint::printOutFitsItsPages()
{
    QFETCH(QString, screen);
    QFETCH(int, groupColumn);
    QFETCH(QStringList, whole);
    auto *s = qobject_cast<QueryScreen *>(ScreenRegistry::instance().show(screen));
    QVERIFY(s);
    GridEX *g = s->GridEX1;
    g->recordCount();
    if (groupColumn > 0)
        g->groupBy(groupColumn);
    s->findChild<QCheckBox *>(QStringLiteral("Check2"))->setChecked(true); // grid lines
    s->setPrintOptions(true);

    // To look at the pages.
    const QString dir = qEnvironmentVariable("KQ_GRID_PRINT_DIR");
    if (!dir.isEmpty()) {
        QPrinter pdf(QPrinter::HighResolution);
        pdf.setOutputFormat(QPrinter::PdfFormat);
        pdf.setOutputFileName(dir + QLatin1Char('/') + screen + QString::number(groupColumn)
                              + QStringLiteral(".pdf"));
        g->printGrid(&pdf);
    }

    kq::test::RecordingPrinter printer;
    const int pages = g->printGrid(&printer);
    QCOMPARE(printer.pages(), pages);
    const QStringList faults = printer.faults();
    QVERIFY2(faults.isEmpty(), qPrintable(faults.mid(0, 8).join(QLatin1Char('\n'))));
    const auto texts = printer.joinedTexts();
    for (const QString &text : whole)
        QVERIFY2(printed(texts, text), qPrintable(text));
    // Every shown column is on the print-out.
    for (int c = 1; c <= g->columnCount(); ++c)
        if (g->column(c).isVisible())
            QVERIFY2(printed(texts, g->column(c).caption())
                         || g->column(c).caption().contains(QLatin1Char(' ')),
                     qPrintable(g->column(c).caption()));
}

void tst_queryprint::previewOfTheWideQueryIsLandscape()
{
    auto *s = qobject_cast<QueryScreen *>(ScreenRegistry::instance().show("fconsultas1"));
    s->GridEX1->recordCount();
    s->cmdPrintPreview->click();
    auto *preview = ScreenRegistry::instance().get<kq::queries::frmPreview>("frmPreview");
    QVERIFY(preview && preview->isVisible());
    QCOMPARE(preview->grPrev->printer()->pageLayout().orientation(), QPageLayout::Landscape);
    QVERIFY(preview->grPrev->pageCount() >= 1);
}

QTEST_MAIN(tst_queryprint)
#include "tst_queryprint.moc"
