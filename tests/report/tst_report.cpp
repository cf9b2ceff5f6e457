#include "data/collation.h"
#include "data/database.h"
#include "data/dataerror.h"
#include "data/datafolder.h"
#include "data/rowstream.h"
#include "data/shippedfiles.h"
#include "platform/report/reportdefinition.h"
#include "platform/report/reportdocument.h"
#include "platform/report/reportengine.h"
#include "platform/report/reportpage.h"
#include "platform/report/reportpreview.h"
#include "core/reportquery.h"
#include "core/selectionformula.h"
#include "report/failingsource.h"
#include "support/base_data.h"
#include "support/base_dialogs.h"
#include "support/base_recordingprinter.h"
#include "support/base_screens.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

using namespace kq::platform;

namespace {

QString lowerResolver(const QString &table, const QString &field)
{
    if (table.compare("hack", Qt::CaseInsensitive) == 0)
        return QString();
    return table.toLower() + '.' + field.toLower();
}

ReportDefinition chequeReport()
{
    ReportDefinition d;
    d.title = "Cheques por loja";
    d.select = "LOJAS.ds_loja, CLIENTES.nm_cliente, DEVOLVIDOS.DT_DEPOSITO, "
               "DEVOLVIDOS.VL_CHEQUE";
    d.from = "DEVOLVIDOS INNER JOIN LOJAS ON LOJAS.cd_loja = DEVOLVIDOS.CD_LOJA "
             "INNER JOIN CLIENTES ON CLIENTES.CD_CLIENTE = DEVOLVIDOS.CD_CLIENTE";
    d.orderBy = "DEVOLVIDOS.DT_DEPOSITO";
    d.columns = {{"nm_cliente", "Devedor", "", 30, "", ""},
                 {"DT_DEPOSITO", "Depósito", "dd/mm/yyyy", 12, "", "contagem"},
                 {"VL_CHEQUE", "Valor", "0.00", 12, "", "soma"}};
    d.groups = {{"ds_loja", "Loja", ""}};
    return d;
}

void fill(const QString &db)
{
    using kq::data::exec;
    exec(db, "INSERT INTO CLIENTES (CD_cliente, nm_cliente) VALUES ('00001', 'ANA'), "
             "('00002', 'BIA')");
    exec(db, "INSERT INTO lojas (CD_loja, DS_loja, cd_cor) VALUES ('001', 'LOJA "
             "A', '0'), "
             "('002', 'LOJA B', '0')");
    const QList<QVariantList> rows = {{"0000000001", "00001", "001", QDate(2026, 3, 1), 100.0},
                                      {"0000000002", "00002", "001", QDate(2026, 3, 31), 50.5},
                                      {"0000000003", "00001", "002", QDate(2026, 3, 15), 10.0},
                                      {"0000000004", "00001", "002", QDate(2026, 4, 1), 999.0},
                                      {"0000000005", "00002", "001", QDate(2026, 2, 28), 999.0}};
    for (const QVariantList &r : rows)
        exec(db,
             "INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, CD_CLIENTE, CD_LOJA, "
             "DT_DEPOSITO, "
             "VL_CHEQUE, CD_SITUACAO) VALUES (?, ?, ?, ?, ?, '001')",
             r);
}

// n cheques more, each of a debtor the report can join.
void addJoinedCheques(const QString &db, int n)
{
    kq::test::addCheques(db, n);
    kq::data::exec(db, "INSERT OR IGNORE INTO CLIENTES (CD_cliente, nm_cliente) "
                       "SELECT DISTINCT CD_CLIENTE, 'DEVEDOR ' || CD_CLIENTE FROM DEVOLVIDOS");
}

// A report file of chequeReport() in dir.
QString writeReport(const QTemporaryDir &dir)
{
    const QString rpt = dir.filePath("1_Cheques.rpt");
    QFile f(rpt);
    if (f.open(QIODevice::WriteOnly))
        f.write(chequeReport().toJson());
    return rpt;
}

// The report over 3,005 cheques, ready to run.
struct BigReport
{
    kq::test::TempDataFolder folder;
    kq::test::ScriptedDialogs dialogs;
    QTemporaryDir dir;
    ReportEngine engine;

    BigReport()
    {
        fill(folder.devolvidos());
        addJoinedCheques(folder.devolvidos(), 3000);
        engine.setDataFiles(0, folder.devolvidos());
        engine.setReportFileName(writeReport(dir));
    }
};

QStringList footersOf(const ReportPageLayout &layout, const ReportDocument &doc, int page)
{
    kq::test::RecordingPrinter printer;
    QPainter p(&printer);
    p.scale(printer.resolution() / ReportPageLayout::kUnitsPerInch,
            printer.resolution() / ReportPageLayout::kUnitsPerInch);
    layout.drawPage(p, doc, page);
    p.end();
    QStringList out;
    for (const auto &t : printer.joinedTexts())
        if (t.text.startsWith("Página") || t.text.contains("registro(s)"))
            out << t.text;
    out.sort();
    return out;
}

// Stores whose names tie in the database's order ("Loja A" and "LOJA A", two
// without a name), one with no cheque; debtors that tie ("ANA", "ana") or
// have no name; cheques of no store, of a store or debtor that does not
// exist, without a date, and many of one store, day and debtor.
void fillTies(const QString &db, int cheques)
{
    using kq::data::exec;
    exec(db, "INSERT INTO lojas (CD_loja, DS_loja, nm_fantasia) VALUES ('001', 'Loja "
             "A', 'X'), "
             "('002', 'LOJA A', 'Y'), ('003', 'Lója B', 'X'), ('004', NULL, 'Y'), "
             "('005', NULL, 'X'), ('006', 'LOJA Z', 'Y'), ('007', 'Centro', NULL)");
    exec(db, "INSERT INTO CLIENTES (CD_cliente, nm_cliente) VALUES ('00001', 'ANA'), "
             "('00002', 'BIA'), ('00003', NULL), ('00004', 'ana')");
    kq::data::Transaction t(db);
    kq::data::Statement insert(db, "INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, CD_CLIENTE, CD_LOJA, "
                                   "DT_DEPOSITO, VL_CHEQUE, CD_SITUACAO, NR_CHEQUE) "
                                   "VALUES (?, ?, ?, ?, ?, ?, ?)");
    for (int n = 1; n <= cheques; ++n) {
        const QString store = n % 9 == 7   ? QString()
                              : n % 9 == 8 ? QString("999")
                              : n % 9 == 5 ? QString("007")
                                           : QString::asprintf("%03d", n % 9 + 1);
        insert.run({QString::asprintf("%010d", n),
                    n % 5 == 4 ? QString("99999") : QString::asprintf("%05d", n % 5 + 1),
                    store.isNull() ? QVariant() : QVariant(store),
                    n % 61 == 60 ? QVariant() : QVariant(QDate(2026, 3, 1).addDays(n % 61)), n,
                    n % 3 ? "001" : "002", QString::number(n)});
    }
    t.commit();
}

// The rows of a stream, each value with its type, so that Null, 0 and ''
// differ.
QVector<QStringList> rowsOf(kq::data::RowStream &rows)
{
    QVector<QStringList> out;
    const int n = int(rows.fieldNames().size());
    while (rows.next()) {
        QStringList row;
        for (int i = 0; i < n; ++i) {
            const QVariant v = rows.value(i);
            row << (v.isValid() ? QString::number(v.typeId()) + ':' + v.toString() : "Null");
        }
        out << row;
    }
    return out;
}

// Equal in the database's order: Null with Null, texts in the PTBR order.
bool sameKey(const QStringList &a, const QStringList &b, const QVector<int> &key)
{
    for (int i : key)
        if ((a[i] == "Null") != (b[i] == "Null") || kq::data::compareText(a[i], b[i]) != 0)
            return false;
    return true;
}

// got holds the rows of sorted in its order; rows whose sort keys tie (the
// columns `key`) may come in any order among themselves.
QString sameOrder(const QVector<QStringList> &sorted, QVector<QStringList> got,
                  const QVector<int> &key)
{
    if (got.size() != sorted.size())
        return QString("%1 rows, sorted %2").arg(got.size()).arg(sorted.size());
    for (int i = 0; i < sorted.size();) {
        int end = i + 1;
        while (end < sorted.size() && sameKey(sorted[i], sorted[end], key))
            ++end;
        QVector<QStringList> want = sorted.mid(i, end - i);
        QVector<QStringList> run = got.mid(i, end - i);
        std::sort(want.begin(), want.end());
        std::sort(run.begin(), run.end());
        if (run != want)
            return QString("rows %1 to %2 differ: %3").arg(i).arg(end - 1).arg(got[i].join(' '));
        i = end;
    }
    return QString();
}

} // namespace

class tst_report : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil)); }
    void formulas_data();
    void formulas();
    void textsComeBackAsTheyWere_data();
    void textsComeBackAsTheyWere();
    void badFormulas_data();
    void badFormulas();
    void definitionFile();
    void runWithGroupsAndTotals();
    void engineShowsPreviewAndSavesPdf();
    void firstPageBeforeTheLastRecord();
    void windowAnswersWhileItReads();
    void failedReadingIsTold_data();
    void failedReadingIsTold();
    void cancelledPdfLeavesNoFile();
    void hugeWidthsShareThePage();
    void shippedBandsDoNotOverlap_data();
    void shippedBandsDoNotOverlap();
    void groupByGroupGivesTheSortedRows_data();
    void groupByGroupGivesTheSortedRows();
    void cellsOfEveryType_data();
    void cellsOfEveryType();
};

void tst_report::formulas_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QString>("where");
    QTest::addColumn<QVariantList>("values");
    const QDate d1(2026, 3, 1), d2(2026, 3, 31);
    QTest::newRow("empty") << "  "
                           << "" << QVariantList();
    QTest::newRow("store and period")
        << "{devolvidos.cd_loja}= '001' AND {devolvidos.dt_deposito} >=  "
           "#2026/03/01# AND "
           "{devolvidos.dt_deposito} <= #2026/03/31#"
        << "devolvidos.cd_loja = ? AND devolvidos.dt_deposito >= ? AND "
           "devolvidos.dt_deposito <= ?"
        << QVariantList{"001", d1, d2};
    QTest::newRow("agreements, store last, lower-case and")
        << "{acordos.dt_acordo} >=  #2026/03/01# AND {acordos.dt_acordo} <= "
           "#2026/03/31# and "
           "{acordos.cd_loja}='001'"
        << "acordos.dt_acordo >= ? AND acordos.dt_acordo <= ? AND "
           "acordos.cd_loja = ?"
        << QVariantList{d1, d2, "001"};
    QTest::newRow("empty store quotes")
        << "{parcelas.dt_vencimento} >=  #2026/03/01# AND "
           "{parcelas.dt_vencimento} <= #2026/03/31#"
           " and {parcelas.cd_loja}=''"
        << "parcelas.dt_vencimento >= ? AND parcelas.dt_vencimento <= ? AND "
           "parcelas.cd_loja = ?"
        << QVariantList{d1, d2, ""};
    QTest::newRow("quote inside text stays one value")
        << "{VANTESCA.cd_CLIENTE}= 'a'' OR ''1''=''1'"
        << "vantesca.cd_cliente = ?" << QVariantList{"a' OR '1'='1"};
    QTest::newRow("or, not, parentheses, numbers")
        << "not ({acordos.nr_parcelas} > 3 OR {acordos.vl_parcela}<>-1.5)"
        << "NOT (acordos.nr_parcelas > ? OR acordos.vl_parcela <> ?)" << QVariantList{3.0, -1.5};
}

void tst_report::formulas()
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

void tst_report::textsComeBackAsTheyWere_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("plain") << "001";
    QTest::newRow("apostrophes") << "'0''1'";
    QTest::newRow("formula text") << "x' OR {acordos.cd_loja} <> 'y";
    QTest::newRow("control characters") << "a\tb\r\nc";
    QTest::newRow("nul") << QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    QTest::newRow("empty") << "";
}

void tst_report::textsComeBackAsTheyWere()
{
    QFETCH(QString, text);
    QString error;
    const auto c = parseSelectionFormula("{acordos.cd_loja}=" + formulaText(text)
                                             + " and {acordos.cd_cliente}='1'",
                                         lowerResolver, &error);
    QVERIFY2(c, qPrintable(error));
    QCOMPARE(c->where, QStringLiteral("acordos.cd_loja = ? AND acordos.cd_cliente = ?"));
    QCOMPARE(c->values, (QVariantList{text, QStringLiteral("1")}));
}

void tst_report::badFormulas_data()
{
    QTest::addColumn<QString>("formula");
    QTest::newRow("pasted SQL") << "{a.b} = '1' OR 1=1";
    QTest::newRow("unknown field") << "{hack.x} = '1'";
    QTest::newRow("bad date") << "{a.b} >= #2026/02/30#";
    QTest::newRow("open text") << "{a.b} = 'abc";
    QTest::newRow("no operator") << "{a.b} '1'";
    QTest::newRow("trailing text") << "{a.b} = '1' ; DROP TABLE a";
    QTest::newRow("open parenthesis") << "({a.b} = '1'";
    QTest::newRow("dangling and") << "{a.b} = '1' AND";
}

void tst_report::badFormulas()
{
    QFETCH(QString, formula);
    QString error;
    QVERIFY(!parseSelectionFormula(formula, lowerResolver, &error));
    QVERIFY(error.startsWith("Fórmula de seleção inválida"));
}

void tst_report::definitionFile()
{
    const ReportDefinition d = chequeReport();
    QString error;
    const auto back = ReportDefinition::parse(d.toJson(), &error);
    QVERIFY2(back, qPrintable(error));
    QCOMPARE(back->toJson(), d.toJson());
    QCOMPARE(back->columns.size(), 3);
    QVERIFY(!ReportDefinition::parse("{\"formato\": \"outro\"}", &error));
    QVERIFY(!ReportDefinition::parse("não é json", &error));
    ReportDefinition two = d;
    two.orderBy = "1; DELETE FROM DEVOLVIDOS";
    QVERIFY(!ReportDefinition::parse(two.toJson(), &error));
    QVERIFY(!ReportDefinition::load("/nao/existe.rpt", &error));
}

void tst_report::runWithGroupsAndTotals()
{
    kq::test::TempDataFolder folder;
    fill(folder.devolvidos());
    QString error;
    // Both ends of the period count; another store, another month and an
    // injected text select nothing more.
    auto data = ReportDocument::open(chequeReport(), folder.devolvidos(),
                                     "{devolvidos.dt_deposito} >=  #2026/03/01# AND "
                                     "{devolvidos.dt_deposito} <= #2026/03/31#",
                                     &error);
    QVERIFY2(data, qPrintable(error));
    data->readAll();
    QCOMPARE(data->recordCount(), 3);
    const QVector<ReportLine> lines = data->lines();
    QStringList shown;
    for (const ReportLine &l : lines)
        shown << (l.text + "|" + l.cells.join(';'));
    QCOMPARE(shown,
             QStringList({"Loja: LOJA A|", "|ANA;01/03/2026;100,00", "|BIA;31/03/2026;50,50",
                          "Total Loja: LOJA A|;2;150,50", "Loja: LOJA B|", "|ANA;15/03/2026;10,00",
                          "Total Loja: LOJA B|;1;10,00", "Total Geral|;3;160,50"}));
    data = ReportDocument::open(chequeReport(), folder.devolvidos(),
                                "{devolvidos.cd_loja}= '' OR {devolvidos.cd_loja}= '1'' OR "
                                "''1''=''1'",
                                &error);
    QVERIFY(data);
    data->readAll();
    QCOMPARE(data->recordCount(), 0);
    // A table the report does not read, or a field it lacks, is refused.
    QVERIFY(!ReportDocument::open(chequeReport(), folder.devolvidos(),
                                  "{usuarios.cd_usuario} = '1'", &error));
    QVERIFY(!ReportDocument::open(chequeReport(), folder.devolvidos(), "{devolvidos.senha} = '1'",
                                  &error));
    QVERIFY(error.contains("campo desconhecido"));
}

void tst_report::engineShowsPreviewAndSavesPdf()
{
    kq::test::TempDataFolder folder;
    kq::test::ScriptedDialogs dialogs;
    fill(folder.devolvidos());
    kq::test::addCheques(folder.devolvidos(), 300);
    QTemporaryDir dir;
    const QString rpt = dir.filePath("1_Cheques.rpt");
    QFile f(rpt);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(chequeReport().toJson());
    f.close();

    ReportEngine engine;
    engine.setDataFiles(0, folder.devolvidos());
    engine.setReportFileName(dir.filePath("nenhum.rpt"));
    QVERIFY(!engine.run());
    QVERIFY(dialogs.lastText().contains("nenhum.rpt"));
    engine.setReportFileName(rpt);
    engine.setWindowShowPrintSetupBtn(true);
    engine.setWindowState(2);
    engine.setSelectionFormula("{devolvidos.dt_deposito} >=  #2026/03/01# AND");
    QVERIFY(!engine.run());
    QVERIFY(dialogs.lastText().startsWith("Fórmula de seleção inválida"));
    engine.setSelectionFormula("");
    QVERIFY(engine.run());
    ReportPreview *preview = engine.preview();
    QVERIFY(preview);
    QVERIFY(preview->isVisible());
    QVERIFY(preview->pageCount() > 1);
    const QString pdf = dir.filePath("rel.pdf");
    dialogs.files << pdf;
    QVERIFY(preview->savePdf());
    QVERIFY(QFileInfo(pdf).size() > 1000);
    if (const QString dir = kq::test::shotDir(); !dir.isEmpty()) {
        QFile::copy(pdf, dir + "/relatorio.pdf");
        preview->resize(900, 700);
        kq::test::shot(preview, "relatorio_preview");
    }
    preview->close();
    QTRY_VERIFY(!engine.preview());
}

void tst_report::firstPageBeforeTheLastRecord()
{
    kq::test::TempDataFolder folder;
    fill(folder.devolvidos());
    addJoinedCheques(folder.devolvidos(), 1000);
    QString error;
    auto doc = ReportDocument::open(chequeReport(), folder.devolvidos(), "", &error);
    QVERIFY2(doc, qPrintable(error));
    doc->readLines(60);
    QVERIFY(!doc->isComplete());
    QVERIFY(doc->recordCount() < 100);
    QPageLayout a4(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(12, 12, 12, 12),
                   QPageLayout::Millimeter);
    ReportPageLayout layout(doc->definition(), a4);
    layout.paginate(*doc);
    QVERIFY(layout.pageCount() >= 1);
    // No total is known yet: the page shows its number alone.
    QCOMPARE(footersOf(layout, *doc, 0), QStringList{"Página 1"});

    doc->readAll();
    layout.paginate(*doc);
    QVERIFY(doc->isComplete());
    QCOMPARE(doc->recordCount(), 1005);
    const int pages = layout.pageCount();
    QVERIFY(pages > 10);
    QCOMPARE(footersOf(layout, *doc, 0),
             (QStringList{"1005 registro(s)", QString("Página 1 de %1").arg(pages)}));
    // Every line is on one page, pages are full but for their last, and no
    // page ends with a group header.
    int lines = 0;
    for (int page = 0; page < pages; ++page) {
        kq::test::RecordingPrinter printer;
        QPainter p(&printer);
        layout.drawPage(p, *doc, page);
        p.end();
        int shown = 0;
        QString last;
        for (const auto &t : printer.joinedTexts())
            if (t.text.startsWith("Loja: ") || t.text == "Total Geral"
                || t.text.startsWith("Total ") || t.text.startsWith("DEVEDOR") || t.text == "ANA"
                || t.text == "BIA") {
                ++shown;
                last = t.text;
            }
        QVERIFY2(shown <= layout.linesPerPage(), qPrintable(QString::number(page)));
        QVERIFY2(!last.startsWith("Loja: "), qPrintable(QString::number(page)));
        lines += shown;
    }
    QCOMPARE(lines, doc->lineCount());
}

void tst_report::windowAnswersWhileItReads()
{
    BigReport report;
    auto &dialogs = report.dialogs;
    auto &engine = report.engine;
    QVERIFY(engine.run());
    ReportPreview *preview = engine.preview();
    // The window is there at its first page, the rest still to read.
    QVERIFY(preview->isVisible());
    QVERIFY(!preview->document().isComplete());
    QVERIFY(dialogs.progressLabels.isEmpty());
    auto *read = preview->findChild<QLabel *>("lidos");
    QVERIFY(read);
    QVERIFY(read->isVisible());
    QVERIFY2(read->text().startsWith("Lendo os registros do relatório: "),
             qPrintable(read->text()));
    kq::test::shot(preview, "relatorio_lendo");
    // It answers while it reads: a key scrolls the pages.
    auto *pages = preview->pageView();
    preview->activateWindow();
    pages->setFocus();
    QTest::keyClick(pages, Qt::Key_PageDown);
    QVERIFY(pages->verticalScrollBar()->value() > 0);
    QTRY_VERIFY(preview->document().isComplete());
    QCOMPARE(preview->document().recordCount(), 3005);
    QVERIFY(!read->isVisible());
    QVERIFY(dialogs.progressLabels.isEmpty());
    QVERIFY(dialogs.messages.isEmpty());
    preview->close();
    QTRY_VERIFY(!engine.preview());
    // Closed while it reads: the reading ends with the window.
    QVERIFY(engine.run());
    QVERIFY(!engine.preview()->document().isComplete());
    engine.preview()->close();
    QTRY_VERIFY(!engine.preview());
    QVERIFY(dialogs.messages.isEmpty());
}

void tst_report::failedReadingIsTold_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("pdf");
    QTest::newRow("before the window opens") << 50 << false;
    QTest::newRow("while the window reads") << 1500 << false;
    QTest::newRow("while the PDF waits for the rest") << 1500 << true;
}

// A reading that gives out midway is told with the data layer's text and no
// report is shown, printed or written short.
void tst_report::failedReadingIsTold()
{
    QFETCH(int, rows);
    QFETCH(bool, pdf);
    kq::test::TempDataFolder folder;
    kq::test::ScriptedDialogs dialogs;
    fill(folder.devolvidos());
    addJoinedCheques(folder.devolvidos(), 3000);
    kq::test::FailingSource source(folder.devolvidos(), "DEVOLVIDOS", rows);
    ReportDefinition def;
    def.title = "Cheques";
    def.select = "CD_DEVOLVIDO, VL_CHEQUE";
    def.from = "falhos";
    def.columns = {{"CD_DEVOLVIDO", "Cheque", "", 20, "", "contagem"},
                   {"VL_CHEQUE", "Valor", "0.00", 12, "", "soma"}};
    QTemporaryDir dir;
    const QString rpt = dir.filePath("1_Falhos.rpt");
    QFile f(rpt);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(def.toJson());
    f.close();
    const QString told
        = QString("Erro de leitura ou gravação no arquivo \"%1\"").arg(folder.devolvidos());

    ReportEngine engine;
    engine.setDataFiles(0, folder.devolvidos());
    engine.setReportFileName(rpt);
    if (rows < 200) {
        QVERIFY(!engine.run());
        QVERIFY(!engine.preview());
    } else {
        QVERIFY(engine.run());
        QVERIFY(engine.preview());
        QVERIFY(dialogs.messages.isEmpty());
        if (pdf) {
            const QString file = dir.filePath("rel.pdf");
            QVERIFY(!engine.preview()->savePdf(file));
            QVERIFY(!QFile::exists(file));
        }
        QTRY_VERIFY(!dialogs.messages.isEmpty());
        QTRY_VERIFY(!engine.preview());
    }
    QCOMPARE(dialogs.messages.size(), 1);
    QVERIFY2(dialogs.lastText().contains(told), qPrintable(dialogs.lastText()));

    // The document itself: no totals, and every later read fails the same.
    source.failAfter(rows);
    QString error;
    auto doc = ReportDocument::open(def, folder.devolvidos(), "", &error);
    QVERIFY2(doc, qPrintable(error));
    QVERIFY_THROWS_EXCEPTION(kq::data::DataError, doc->readAll());
    QVERIFY(!doc->isComplete());
    QCOMPARE(doc->recordCount(), rows);
    QVERIFY_THROWS_EXCEPTION(kq::data::DataError, doc->readMore(1));
    for (const ReportLine &l : doc->lines())
        QCOMPARE(l.kind, ReportLine::Detail);
}

void tst_report::cancelledPdfLeavesNoFile()
{
    BigReport report;
    auto &dialogs = report.dialogs;
    auto &engine = report.engine;
    QVERIFY(engine.run());
    ReportPreview *preview = engine.preview();
    QTRY_VERIFY(preview->document().isComplete());
    QTemporaryDir out;
    const QString pdf = out.filePath("rel.pdf");
    dialogs.cancelProgressAt = 2;
    QVERIFY(!preview->savePdf(pdf));
    QCOMPARE(dialogs.progressLabels.last(), QString("Gravando o PDF..."));
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    // A whole write replaces an older file.
    dialogs.cancelProgressAt = -1;
    QFile old(pdf);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("antigo");
    old.close();
    QVERIFY(preview->savePdf(pdf));
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"rel.pdf"});
    QFile back(pdf);
    QVERIFY(back.open(QIODevice::ReadOnly));
    QVERIFY(back.read(5) == "%PDF-");
    QVERIFY(dialogs.messages.isEmpty());
    preview->close();
}

// Widths are relative: the largest a file can hold still share the page.
void tst_report::hugeWidthsShareThePage()
{
    kq::test::TempDataFolder folder;
    fill(folder.devolvidos());
    ReportDefinition def = chequeReport();
    for (ReportColumn &c : def.columns)
        c.width = std::numeric_limits<int>::max();
    QString error;
    auto doc = ReportDocument::open(def, folder.devolvidos(), "", &error);
    QVERIFY2(doc, qPrintable(error));
    doc->readAll();
    QPageLayout a4(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(12, 12, 12, 12),
                   QPageLayout::Millimeter);
    ReportPageLayout layout(doc->definition(), a4);
    layout.paginate(*doc);
    kq::test::RecordingPrinter printer;
    QPainter p(&printer);
    p.scale(printer.resolution() / ReportPageLayout::kUnitsPerInch,
            printer.resolution() / ReportPageLayout::kUnitsPerInch);
    layout.drawPage(p, *doc, 0);
    p.end();
    QCOMPARE(printer.faults(), QStringList());
}

void tst_report::groupByGroupGivesTheSortedRows_data()
{
    QTest::addColumn<QString>("group");     // table.column of the first group
    QTest::addColumn<QString>("condition"); // the selection's, with its values
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<bool>("byGroup");     // read group by group
    QTest::addColumn<QVector<int>>("key"); // the columns the rows are sorted by

    const QVector<int> byStore{0, 1, 2};
    for (const bool statistics : {false, true}) {
        const char *s = statistics ? ", statistics" : "";
        QTest::addRow("stores%s", s) << "LOJAS.DS_LOJA"
                                     << "" << QVariantList() << true << byStore;
        QTest::addRow("stores, store and period%s", s)
            << "LOJAS.DS_LOJA"
            << "DEVOLVIDOS.DT_DEPOSITO >= ? AND DEVOLVIDOS.CD_LOJA <> ?"
            << QVariantList{"2026-03-20", "003"} << true << byStore;
        QTest::addRow("debtors%s", s) << "CLIENTES.NM_CLIENTE"
                                      << "" << QVariantList() << true << byStore;
        QTest::addRow("stores' other name, no index%s", s)
            << "LOJAS.nm_fantasia"
            << "" << QVariantList() << true << byStore;
        // The situations are on the open side of a LEFT JOIN; the cheques
        // are too many groups: the database sorts.
        QTest::addRow("situations%s", s) << "SITUACOES.DS_SITUACAO"
                                         << "" << QVariantList() << false << byStore;
        QTest::addRow("cheques' own field%s", s) << "DEVOLVIDOS.NR_CHEQUE"
                                                 << "" << QVariantList() << false << byStore;
    }
}

// The all-cheques report ("1_Cheques por Data de Deposito.rpt": stores, day,
// debtor) and its variants give the rows of the one sorted statement in its
// order, read group by group where the database would sort every row.
void tst_report::groupByGroupGivesTheSortedRows()
{
    QFETCH(QString, group);
    QFETCH(QString, condition);
    QFETCH(QVariantList, values);
    QFETCH(bool, byGroup);
    QFETCH(QVector<int>, key);
    kq::test::TempDataFolder folder;
    const QString db = folder.devolvidos();
    const bool statistics = QByteArray(QTest::currentDataTag()).endsWith("statistics");
    if (folder.onServer() && statistics)
        QSKIP("the statistics are SQLite's");
    // More cheques than the groups read one by one on SQLite; a server sorts.
    fillTies(db, folder.onServer() ? 600 : 6000);
    byGroup = byGroup && !folder.onServer();
    kq::data::exec(db, "INSERT INTO situacoes (CD_situacao, DS_situacao) VALUES "
                       "('003', 'EM COBRANÇA')");
    if (statistics) {
        // The cheques' statistics as the monetary update leaves them on a
        // portfolio of a million cheques at 12 stores.
        kq::data::analyzeDatabase(db);
        kq::data::exec(db, "DELETE FROM sqlite_stat1 WHERE tbl = 'DEVOLVIDOS'");
        const QStringList stats = {"ix_devolvidos_loja_deposito|1000000 83334 556",
                                   "ix_devolvidos_loja_emitente|1000000 83334 11",
                                   "ix_devolvidos_acordo|1000000 1000000",
                                   "ix_devolvidos_doc|1000000 1",
                                   "ix_devolvidos_chave|1000000 1000000",
                                   "ix_devolvidos_deposito|1000000 556",
                                   "ix_devolvidos_cliente|1000000 50 17",
                                   "sqlite_autoindex_DEVOLVIDOS_1|1000000 1"};
        for (const QString &stat : stats)
            kq::data::exec(db,
                           "INSERT INTO sqlite_stat1 (tbl, idx, stat) VALUES "
                           "('DEVOLVIDOS', ?, ?)",
                           {stat.section('|', 0, 0), stat.section('|', 1)});
        kq::data::closeAllDatabases(); // statistics are read when the file is
                                       // opened
    }
    QString error;
    auto def = ReportDefinition::load(folder.file("1_Cheques por Data de Deposito.rpt"), &error);
    QVERIFY2(def, qPrintable(error));
    // The group first, in the stores' place; sorted then by day and the third
    // field.
    QStringList fields = def->select.split(", ");
    const qsizetype at = fields.indexOf(group);
    fields[0] = group;
    if (at > 0)
        fields[at] = "LOJAS.DS_LOJA";
    def->select = fields.join(", ");
    def->groups[0].field = group.section('.', 1);
    def->orderBy = "DEVOLVIDOS.DT_DEPOSITO, " + fields[2];
    const ReportQuery query(*def, condition, values);
    QCOMPARE(query.readingFor(db) == ReportQuery::Reading::ByGroup, byGroup);

    const auto sorted = rowsOf(*query.open(db, ReportQuery::Reading::Sorted));
    QVERIFY(sorted.size() > 50);
    const QString differs = sameOrder(sorted, rowsOf(*query.open(db)), key);
    QVERIFY2(differs.isEmpty(), qPrintable(differs));
    // Read group by group even where the database would not choose it.
    if (!byGroup) {
        const QString forced
            = sameOrder(sorted, rowsOf(*query.open(db, ReportQuery::Reading::ByGroup)), key);
        QVERIFY2(forced.isEmpty(), qPrintable(forced));
    }

    // The report's lines, totals and record count are those of the rows.
    auto doc = ReportDocument::open(*def, db, QString(), &error);
    QVERIFY2(doc, qPrintable(error));
    doc->readAll();
    if (condition.isEmpty())
        QCOMPARE(doc->recordCount(), qint64(sorted.size()));
}

// A report over a table of untyped columns, grouped by g, with a text, a
// day and a summed column; the rows as SQL literals.
static QStringList typedReport(const QStringList &rows)
{
    kq::test::TempDataFolder folder;
    const QString db = folder.devolvidos();
    kq::data::exec(db, "CREATE TABLE tipos (k INTEGER PRIMARY KEY, g, v, d, n)");
    for (const QString &r : rows)
        kq::data::exec(db, "INSERT INTO tipos (g, v, d, n) VALUES (" + r + ")");
    ReportDefinition def;
    def.title = "Tipos";
    def.select = "tipos.g, tipos.v, tipos.d, tipos.n";
    def.from = "tipos";
    def.orderBy = "tipos.k";
    def.columns = {{"v", "Valor", "", 10, "", "contagem"},
                   {"d", "Dia", "dd/mm/yyyy", 10, "", ""},
                   {"n", "Número", "0.00", 10, "", "soma"}};
    def.groups = {{"g", "G", ""}};
    QString error;
    auto doc = ReportDocument::open(def, db, QString(), &error);
    if (!doc)
        return {error};
    doc->readAll();
    QStringList shown;
    for (const ReportLine &l : doc->lines())
        shown << (l.text + "|" + l.cells.join(';'));
    return shown;
}

void tst_report::cellsOfEveryType_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("text, day, real") << QStringList{"1, 'ABÇ', '2026-03-05', 2.5"}
                                     << QStringList{"G: 1|", "|ABÇ;05/03/2026;2,50",
                                                    "Total G: 1|1;;2,50", "Total Geral|1;;2,50"};
    QTest::newRow("numbers in the text column, integer sum")
        << QStringList{"1, 42, NULL, 3", "1, X'6869', 'dia', NULL"}
        << QStringList{"G: 1|", "|42;;3,00", "|hi;dia;", "Total G: 1|2;;3,00",
                       "Total Geral|2;;3,00"};
    QTest::newRow("nulls are counted out")
        << QStringList{"'a', NULL, NULL, NULL"}
        << QStringList{"G: a|", "|;;", "Total G: a|0;;0,00", "Total Geral|0;;0,00"};
    // 1 and 1.0 are one group, NULL and texts differing in case each another.
    QTest::newRow("groups as their values compare")
        << QStringList{"NULL, 'x', NULL, 1", "1, 'y', NULL, 1", "1.0, 'z', NULL, 1",
                       "'a', 'w', NULL, 1", "'A', 'v', NULL, 1"}
        << QStringList{"G: |",
                       "|x;;1,00",
                       "Total G: |1;;1,00",
                       "G: 1|",
                       "|y;;1,00",
                       "|z;;1,00",
                       "Total G: 1|2;;2,00",
                       "G: A|",
                       "|v;;1,00",
                       "Total G: A|1;;1,00",
                       "G: a|",
                       "|w;;1,00",
                       "Total G: a|1;;1,00",
                       "Total Geral|5;;5,00"};
}

// Each kind of value the database gives is written as the formats write it.
void tst_report::cellsOfEveryType()
{
    QFETCH(QStringList, rows);
    QFETCH(QStringList, lines);
    QCOMPARE(typedReport(rows), lines);
}

void tst_report::shippedBandsDoNotOverlap_data()
{
    QTest::addColumn<QByteArray>("file");
    for (const auto &[name, text] : kq::data::shippedFiles())
        if (name.endsWith(".rpt"))
            QTest::newRow(qPrintable(name)) << text;
}

// Every band of each shipped report (headers, details, group totals, grand
// totals): no two texts of a line overlap. The report reads two rows of short
// sample values in place of its tables, one group value each.
void tst_report::shippedBandsDoNotOverlap()
{
    QFETCH(QByteArray, file);
    QString error;
    std::optional<ReportDefinition> def = ReportDefinition::parse(file, &error);
    QVERIFY2(def, qPrintable(error));
    QStringList fields;
    for (const ReportColumn &c : def->columns)
        fields << c.field.section('.', -1);
    for (const ReportGroup &g : def->groups)
        if (!fields.contains(g.field.section('.', -1), Qt::CaseInsensitive))
            fields << g.field.section('.', -1);
    QStringList rows;
    for (int r = 1; r <= 2; ++r) {
        QStringList values;
        for (const QString &f : fields)
            values << QString("'%1X' AS %2").arg(r).arg(f);
        rows << "SELECT " + values.join(", ");
    }
    def->select = "*";
    def->from = "(" + rows.join(" UNION ALL ") + ")";
    def->filter.clear();
    def->orderBy.clear();
    for (ReportColumn &c : def->columns)
        c.format.clear();
    for (ReportGroup &g : def->groups)
        g.field = g.field.section('.', -1);

    kq::test::TempDataFolder folder;
    auto doc = ReportDocument::open(*def, folder.devolvidos(), "", &error);
    QVERIFY2(doc, qPrintable(error));
    doc->readAll();
    QPageLayout a4(QPageSize(QPageSize::A4),
                   def->landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                   QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
    ReportPageLayout layout(doc->definition(), a4);
    layout.paginate(*doc);
    kq::test::RecordingPrinter printer(a4.orientation());
    QPainter p(&printer);
    p.scale(printer.resolution() / ReportPageLayout::kUnitsPerInch,
            printer.resolution() / ReportPageLayout::kUnitsPerInch);
    layout.drawPage(p, *doc, 0);
    p.end();
    QStringList overlaps;
    const QVector<kq::test::PrintedText> texts = printer.joinedTexts();
    for (int i = 0; i < texts.size(); ++i)
        for (int j = i + 1; j < texts.size(); ++j)
            if (texts[i].box.intersects(texts[j].box))
                overlaps << texts[i].text + " / " + texts[j].text;
    QVERIFY2(overlaps.isEmpty(), qPrintable(overlaps.join("; ")));
    QVERIFY(doc->lineCount() >= 4);
    if (const QString shots = kq::test::shotDir(); !shots.isEmpty()) {
        QImage page((layout.paperSize() / 12).toSize(), QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter draw(&page);
        draw.scale(1 / 12.0, 1 / 12.0);
        draw.translate(layout.paintOffset());
        layout.drawPage(draw, *doc, 0);
        draw.end();
        page.save(shots + "/bandas_" + QString(QTest::currentDataTag()).section('.', 0, 0)
                  + ".png");
    }
}

QTEST_MAIN(tst_report)
#include "tst_report.moc"
