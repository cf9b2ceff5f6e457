#include "data/database.h"
#include "data/shippedfiles.h"
#include "platform/report/reportdefinition.h"
#include "platform/dbcombo.h"
#include "platform/grid/gridex.h"
#include "platform/letters/wordprocessor.h"
#include "platform/screenregistry.h"
#include "collection/screens.h"
#include "queries/confissao.h"
#include "queries/fconsulta3.h"
#include "queries/filelistbox.h"
#include "queries/frelatorioscartas.h"
#include "queries/letters.h"
#include "queries/rules/queryfilters.h"
#include "queries/screens.h"
#include "support/base_screens.h"
#include "support/shell_agreement_fixture.h"
#include "support/shell_fixture.h"
#include "support/shell_letters_fixture.h"
#include "support/shell_queries_fixture.h"

#include <QFile>
#include <QPushButton>
#include <QtTest>

using namespace kq::queries;
using kq::platform::FlatOdtDocument;
using kq::platform::GridEX;
using kq::platform::ScreenRegistry;

namespace {

// Reads Flat ODT templates as they are and keeps what would be shown.
class FakeProcessor : public kq::platform::WordProcessor
{
public:
    FakeProcessor() { kq::platform::setWordProcessor(this); }
    ~FakeProcessor() override { kq::platform::setWordProcessor(nullptr); }
    QString toFlatOdt(const QString &path, QString *) override
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    bool show(const QString &xml, const QString &title, QString *) override
    {
        shown << xml;
        titles << title;
        return true;
    }
    QString shownText(int i = -1) const
    {
        FlatOdtDocument doc;
        doc.load(i < 0 ? shown.last() : shown.at(i));
        return doc.plainText();
    }
    QStringList shown;
    QStringList titles;
};

void writeTemplate(const QString &path, const QStringList &paragraphs)
{
    QString body;
    for (const QString &p : paragraphs)
        body += QStringLiteral("<text:p>") + p.toHtmlEscaped() + QStringLiteral("</text:p>");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document "
                       "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                       "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
                       "office:mimetype=\"application/vnd.oasis.opendocument.text\">"
                       "<office:body><office:text>%1</office:text></office:body></office:document>")
            .arg(body)
            .toUtf8());
}

} // namespace

class tst_letters : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void chequeLine_data();
    void chequeLine();
    void letterKinds();
    void letterValuesAndSubstitutes();
    void confessionEntries();
    void emptyOfficeParameters_data();
    void emptyOfficeParameters();
    void shippedFiles();
    void collectionLetterScreen();
    void confessionOfDebt();
    void confessionOfCurrentRow();
};

void tst_letters::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
}

void tst_letters::chequeLine_data()
{
    QTest::addColumn<QVariant>("tipo");
    QTest::addColumn<QString>("expected");
    QTest::newRow("CHEQUE padded to 20")
        << QVariant("CHEQUE")
        << "CHEQUE" + QString(14, u' ') + " | 05/03/2026 | 150,00 |ANA |123\r\n";
    QTest::newRow("no type: 20 blanks")
        << QVariant() << QString(20, u' ') + " | 05/03/2026 | 150,00 |ANA |123\r\n";
    QTest::newRow("exactly 20: no blank added")
        << QVariant("DUPLICATA MERCANTIL1")
        << QString("DUPLICATA MERCANTIL1 | 05/03/2026 | 150,00 |ANA |123\r\n");
    QTest::newRow("longer kept whole")
        << QVariant("NOTA PROMISSORIA RURAL")
        << QString("NOTA PROMISSORIA RURAL | 05/03/2026 | 150,00 |ANA |123\r\n");
}

void tst_letters::chequeLine()
{
    QFETCH(QVariant, tipo);
    QFETCH(QString, expected);
    QCOMPARE(linhaDocumento(tipo, QDate(2026, 3, 5), 150.0, QString("ANA"), QString("123")),
             expected);
}

void tst_letters::letterKinds()
{
    const QStringList branda = cartaPlaceholders("Carta Branda.doc");
    const QStringList inter = cartaPlaceholders("Carta Intermediaria.doc");
    QCOMPARE(branda.size(), 16);
    QCOMPARE(inter.size(), 16);
    for (int i = 0; i < 16; ++i)
        QCOMPARE(branda[i] == inter[i], i != 14);
    QCOMPARE(branda[14], QString("@fone"));
    QCOMPARE(inter[14], QString("@EndComp2"));
    QCOMPARE(cartaPlaceholders("Carta Incisiva.doc").size(), 14);
    QCOMPARE(cartaPlaceholders("Carta Notificacao.doc"), cartaPlaceholders("Carta Incisiva.doc"));
    QCOMPARE(cartaPlaceholders("Carta IncisivaTerm.doc").mid(9, 2),
             QStringList({"@nomecliente", "@NomeDev"}));
    QVERIFY(cartaPlaceholders("Carta branda.doc").isEmpty());
    QVERIFY(cartaPlaceholders("Carta Outra.doc").isEmpty());
}

void tst_letters::letterValuesAndSubstitutes()
{
    CartaDados d;
    d.nmCliente = QVariant();
    d.nrDocumento = QString("");
    d.escritorio.prazo = QString("10 dias");
    d.nomeLoja = "LOJA A";
    d.hoje = QDate(2026, 3, 9);
    QHash<QString, QString> v = cartaValores(d);
    QCOMPARE(v["@NomeDev"], QString("--"));
    QCOMPARE(v["@CPF/CNPJDev"], QString("-----"));
    QCOMPARE(v["@cidade"], QString("--"));
    QCOMPARE(v["@ndias"], QString("10 dias"));
    QCOMPARE(v["@nomecliente"], QString("LOJA A"));
    QCOMPARE(v["@dia"], QString("9"));
    QCOMPARE(v["@mes"], QString("março"));
    QCOMPARE(v["@ano"], QString("2026"));
    d.nrDocumento = QVariant();
    QCOMPARE(cartaValores(d)["@CPF/CNPJDev"], QString("---------"));
    const LetterEntries e = cartaEntries("Carta Branda.doc", d);
    QCOMPARE(e.size(), 16);
    QCOMPARE(e[13], qMakePair(QString("@ndias"), QString("10 dias")));
}

void tst_letters::confessionEntries()
{
    ConfissaoDados d;
    d.vlParcela = 150.0;
    d.nrParcelas = 6.0;
    d.dt1Vencimento = QDate(2027, 1, 15);
    d.nmCliente = QString("ANA");
    d.hoje = QDate(2026, 12, 1);
    const LetterEntries e = confissaoEntries(d);
    QCOMPARE(e.size(), 21);
    auto at = [&](int n) {
        return e[n - 1];
    };
    QCOMPARE(at(15), qMakePair(QString("@QtdParcelas"), QString("6")));
    QCOMPARE(at(13).second, QString("150,00"));
    QCOMPARE(at(16).second, QString("150,00"));
    QCOMPARE(at(14).second, QString("15/01/2027"));
    QCOMPARE(at(17).second, QString("15/01/2027"));
    QCOMPARE(at(11), qMakePair(QString("@desconto"), QString("0,00"))); // never written: Null
    QCOMPARE(at(20).first, QString("@CPF/CNPJDev"));
    QCOMPARE(at(21), qMakePair(QString("@NomeDev2"), QString("ANA")));
    QCOMPARE(at(8).second, QString("dezembro"));
}

void tst_letters::emptyOfficeParameters_data()
{
    QTest::addColumn<QString>("letter");
    QTest::addColumn<QStringList>("filled"); // parameters given a value
    QTest::addColumn<QStringList>("expected");
    const QStringList none;
    const QStringList all = {"empresa", "endereco", "cidade", "telefone", "prazo"};
    QTest::newRow("Branda: no address")
        << "Carta Branda.doc" << none
        << QStringList{"Razão Social", "Cidade", "Telefones", "Prazo Contato"};
    QTest::newRow("Intermediaria: no telephone")
        << "Carta Intermediaria.doc" << none
        << QStringList{"Razão Social", "Endereço", "Cidade", "Prazo Contato"};
    QTest::newRow("Incisiva") << "Carta Incisiva.doc" << QStringList{"empresa"}
                              << QStringList{"Cidade"};
    QTest::newRow("all filled") << "Carta Branda.doc" << all << none;
    QTest::newRow("blanks only count as empty")
        << "Carta Branda.doc" << QStringList{"empresa", "cidade", "telefone", "prazo", "blank"}
        << QStringList{"Prazo Contato"};
    QTest::newRow("Null counts as empty")
        << "Carta Branda.doc" << QStringList{"empresa", "cidade", "telefone", "null"}
        << QStringList{"Prazo Contato"};
    QTest::newRow("confession: the city only")
        << "confissaodivida.doc" << none << QStringList{"Cidade"};
    QTest::newRow("template of no kind") << "Carta Outra.doc" << none << none;
}

void tst_letters::emptyOfficeParameters()
{
    QFETCH(QString, letter);
    QFETCH(QStringList, filled);
    QFETCH(QStringList, expected);
    Escritorio e;
    const auto value = [&](const char *name) {
        return filled.contains(name) ? QVariant(QString("x")) : QVariant(QString(""));
    };
    e.empresa = value("empresa");
    e.endereco = value("endereco");
    e.cidade = value("cidade");
    e.telefone = value("telefone");
    e.prazo = filled.contains("blank")  ? QVariant(QString("  "))
              : filled.contains("null") ? QVariant()
                                        : value("prazo");
    QStringList placeholders;
    const LetterEntries entries = letter == "confissaodivida.doc"
                                      ? confissaoEntries(ConfissaoDados())
                                      : cartaEntries(letter, CartaDados());
    for (const auto &entry : entries)
        placeholders << entry.first;
    QCOMPARE(kq::queries::emptyOfficeParameters(placeholders, e), expected);
}

void tst_letters::shippedFiles()
{
    // Every placeholder of the templates a new data folder gets is filled, in
    // the order of its letter; the report files load.
    CartaDados carta;
    carta.nomeLoja = "LOJA";
    carta.nmCliente = QString("ANA & FILHOS LTDA");
    carta.documentos = linhaDocumento(QString("CHEQUE"), QDate(2026, 3, 5), 150.0,
                                      QString("ANA & FILHOS LTDA"), QString("123.456.789-00"))
                       + linhaDocumento(QVariant(), QDate(2026, 3, 15), 1234.5,
                                        QString("ANA & FILHOS LTDA"), QString("123.456.789-00"));
    carta.hoje = QDate(2026, 3, 9);
    ConfissaoDados confissao;
    confissao.hoje = carta.hoje;
    int letters = 0;
    int reports = 0;
    for (const auto &[name, contents] : kq::data::shippedFiles()) {
        if (name.endsWith(".rpt")) {
            QString error;
            QVERIFY2(kq::platform::ReportDefinition::parse(contents, &error), qPrintable(error));
            ++reports;
            continue;
        }
        FlatOdtDocument doc;
        QVERIFY2(doc.load(QString::fromUtf8(contents)), qPrintable(name));
        const LetterEntries entries = name == "confissaodivida.doc" ? confissaoEntries(confissao)
                                                                    : cartaEntries(name, carta);
        QVERIFY(!entries.isEmpty());
        for (const auto &[campo, valor] : entries)
            QVERIFY2(doc.replaceNext(campo, valor), qPrintable(name + ": " + campo));
        QVERIFY2(!doc.plainText().contains('@'), qPrintable(name + "\n" + doc.plainText()));
        if (const QString dir = kq::test::shotDir(); !dir.isEmpty()) {
            QFile out(dir + "/" + QString(name).replace(' ', '_') + ".fodt");
            if (out.open(QIODevice::WriteOnly))
                out.write(doc.xml().toUtf8());
        }
        ++letters;
    }
    QCOMPARE(letters, 6);
    QCOMPARE(reports, 5);
    kq::test::ShellFixture fx; // a new data folder holds them
    QVERIFY(QFile::exists(fx.folders.dataFile("Carta Branda.doc")));
    QVERIFY(QFile::exists(fx.folders.dataFile("5_Parcelas por Vencimento.rpt")));
}

void tst_letters::collectionLetterScreen()
{
    kq::test::ShellFixture fx;
    FakeProcessor word;
    kq::collection::registerScreens();
    registerLetterScreens();
    const QString db = fx.devolvidos();
    kq::test::addDebtor(db, "00001", "ANA & FILHOS");
    kq::test::addDebtor(db, "00002", "BRUNO");
    kq::test::addStore(db, "001", "LOJA A", 3, 2, 10, 6, 2);
    kq::test::addStore(db, "002", "LOJA B", 3, 2, 10, 6, 2);
    kq::test::addCheque(db, "0000000001", "00001", "001", QDate(2026, 3, 5), 150);
    kq::test::addCheque(db, "0000000002", "00001", "001", QDate(2026, 1, 2), 80.5);
    kq::test::addCheque(db, "0000000003", "00001", "001", QDate(2026, 2, 2), 99, "007");
    kq::test::addCheque(db, "0000000004", "00002", "001", QDate(2026, 2, 2), 70);
    kq::data::exec(db, "UPDATE CLIENTES SET nr_documento = '' WHERE CD_cliente = '00001'");
    kq::data::exec(db, "UPDATE parametros SET ds_empresa = 'ESCRITÓRIO X', ds_prazo = '5 dias'");
    const QString folder = fx.folders.dataFolder();
    writeTemplate(folder + "/Carta Branda.doc",
                  {"@NomeDev", "@Enderecodev @Bairrodev @cidadedev @cepdev",
                   "@cidade, @dia de @mes de @ano",
                   "Sr. @NomeDev, CPF @CPF/CNPJDev, deve a @nomecliente:", "@documentos",
                   "Prazo @ndias. Fone @fone.", "@usuario"});
    writeTemplate(folder + "/Carta branda.doc", {"@NomeDev"});
    writeTemplate(folder + "/Outro.doc", {"@NomeDev"});

    auto &reg = ScreenRegistry::instance();
    kq::test::followUpDebtor("00001");
    auto *screen = qobject_cast<frelatorioscartas *>(kq::test::openLetterScreen());
    QVERIFY(screen);
    auto *modelos = screen->findChild<FileListBox *>("diretorio");
    QCOMPARE(modelos->count(), 6); // the five shipped and "Carta branda.doc"; not Outro.doc

    // A run without a store is refused.
    QVERIFY(modelos->setFileName("Carta Branda.doc"));
    screen->Command2_Click();
    QCOMPARE(fx.dialogs.lastText(), QString("Escolha a empresa para emitir a carta."));
    QVERIFY(word.shown.isEmpty());

    auto *lojas = screen->findChild<kq::platform::DBList *>("ds_loja");
    lojas->setBoundText("001");
    GridEX *grid = screen->findChild<GridEX *>("GridEX1");
    QCOMPARE(grid->recordCount(), 2); // the "007" cheque is left out
    // The office's city and telephone are empty: the user is told which
    // before the letter is filled, and may stop there.
    const QString blank = "Estes parâmetros do escritório estão em branco: Cidade, Telefones.\n"
                          "Deseja emitir assim mesmo?";
    fx.dialogs.answers.enqueue(kq::platform::Answer::No);
    screen->findChild<QPushButton *>("Command2")->click();
    QCOMPARE(fx.dialogs.lastText(), blank);
    QCOMPARE(fx.dialogs.messages.last().buttons, kq::platform::Buttons::YesNo);
    QVERIFY(word.shown.isEmpty());
    fx.dialogs.answers.enqueue(kq::platform::Answer::Yes);
    screen->findChild<QPushButton *>("Command2")->click();
    QCOMPARE(word.shown.size(), 1);
    QCOMPARE(word.titles.last(), QString("Carta Branda"));
    const QString text = word.shownText();
    const QString hoje = QString::number(QDate::currentDate().day());
    QVERIFY2(text.startsWith("ANA & FILHOS\n-- -- -- --\n, " + hoje + " de "), qPrintable(text));
    QVERIFY(text.contains("Sr. ANA & FILHOS, CPF -----, deve a LOJA A:\n"));
    const QString l1 = "CHEQUE" + QString(14, u' ') + " | 02/01/2026 | 80,50 |ANA & FILHOS |\n";
    const QString l2 = "CHEQUE" + QString(14, u' ') + " | 05/03/2026 | 150,00 |ANA & FILHOS |\n";
    QVERIFY2(text.contains(l1 + l2 + "\nPrazo 5 dias. Fone .\nESCRITÓRIO X"), qPrintable(text));

    // The follow-up moves to another debtor while this screen stays open: the
    // next letter, without a new store click, is his, with his cheques.
    kq::data::exec(db, "UPDATE parametros SET ds_cidade = 'Bauru', nr_telefone = '3333-0000'");
    fx.dialogs.clear();
    kq::test::followUpDebtor("00002");
    screen->Command2_Click();
    QVERIFY(fx.dialogs.messages.isEmpty()); // nothing left blank
    QCOMPARE(word.shown.size(), 2);
    QVERIFY2(word.shownText().startsWith("BRUNO\n"), qPrintable(word.shownText()));
    QVERIFY(word.shownText().contains(" | 02/02/2026 | 70,00 |BRUNO |"));
    QVERIFY(!word.shownText().contains("ANA"));
    QCOMPARE(screen->debtor(), QString("00002"));
    QCOMPARE(grid->recordCount(), 1);
    kq::test::followUpDebtor("00001");
    screen->Command2_Click();
    QVERIFY(word.shownText().startsWith("ANA & FILHOS\n"));
    QCOMPARE(grid->recordCount(), 2);
    // The follow-up closed: no debtor to write to.
    reg.find("fvantesca")->close();
    QCoreApplication::processEvents();
    screen->Command2_Click();
    QCOMPARE(fx.dialogs.lastText(), QString("Escolha o devedor no acompanhamento de vantesca."));
    QCOMPARE(word.shown.size(), 3);

    if (const QString dir = kq::test::shotDir(); !dir.isEmpty()) {
        kq::test::shot(screen, "frelatorioscartas");
        QFile out(dir + "/carta.fodt");
        if (out.open(QIODevice::WriteOnly))
            out.write(word.shown.last().toUtf8());
    }
    // Same store, another run: the same list; a case-differing name opens unfilled.
    kq::test::followUpDebtor("00001");
    kq::data::exec(db, "UPDATE parametros SET ds_cidade = '', nr_telefone = ''");
    screen->Command2_Click();
    QCOMPARE(word.shownText(), text);
    QVERIFY(modelos->setFileName("Carta branda.doc"));
    screen->Command2_Click();
    QCOMPARE(word.shownText(), QString("@NomeDev"));
}

void tst_letters::confessionOfDebt()
{
    kq::test::ShellFixture fx;
    FakeProcessor word;
    const QString db = fx.devolvidos();
    kq::test::addDebtor(db, "00001", "ANA");
    kq::test::addStore(db, "001", "LOJA A", 3, 2, 10, 6, 2);
    kq::test::addAgreement(db, "00001", "00001", "001", 6, 150, QDate(2027, 1, 15));
    kq::data::exec(db, "UPDATE acordos SET vl_desconto = NULL");
    kq::data::exec(db, "UPDATE parametros SET ds_cidade = 'Bauru'");

    QVERIFY(QFile::remove(fx.folders.dataFile("confissaodivida.doc")));
    QVERIFY(!confissaoDivida("00001"));
    QVERIFY(fx.dialogs.lastText().contains("confissaodivida.doc"));

    writeTemplate(fx.folders.dataFolder() + "/confissaodivida.doc",
                  {"@CPF/CNPJDev @NomeDev, @Endereco, @Bairro, @Telefone", "@cidade @dia @mes @ano",
                   "@valordevido @desconto @ValorAC @Entrada @DataEntrada",
                   "@QtdParcelas x @ValorParc a partir de @VencimentoParc",
                   "@NomeDev1 @Endereco1 @CPF/CNPJDev @NomeDev2"});
    QVERIFY(!confissaoDivida("99999"));
    QVERIFY(word.shown.isEmpty());
    QVERIFY(confissaoDivida("00001"));
    QVERIFY(confissaoDivida("00001"));
    QCOMPARE(word.shown.size(), 2); // two runs, two documents
    const QStringList lines = word.shownText().split('\n');
    QCOMPARE(lines[0], QString("-- ANA, --, --, --"));
    QVERIFY(lines[1].startsWith("Bauru "));
    QCOMPARE(lines[2], QString("0,00 0,00 0,00 150,00 15/01/2027"));
    QCOMPARE(lines[3], QString("6 x 150,00 a partir de 15/01/2027"));
    QCOMPARE(lines[4], QString("ANA -- -- ANA"));
}

void tst_letters::confessionOfCurrentRow()
{
    // The confession follows the agreement list's current row: after a filter
    // that leaves no row, the agreement located before is not printed.
    kq::test::ShellFixture fx;
    FakeProcessor word;
    registerQueryScreens();
    const QString db = fx.devolvidos();
    kq::test::queries::addPortfolio(db);
    kq::data::exec(db, "UPDATE parametros SET ds_cidade = 'Bauru'");
    writeTemplate(fx.folders.dataFolder() + "/confissaodivida.doc", {"Eu, @NomeDev, devo"});
    auto *s = qobject_cast<fconsulta3 *>(ScreenRegistry::instance().show("fconsulta3"));
    s->GridEX1->setCurrentRow(s->GridEX1->findRow(1, "00002"));
    s->GridEX1->setCurrentRow(s->GridEX1->findRow(1, "00001"));
    QCOMPARE(s->locatedAgreement(), QString("00001"));
    s->applyRecordSource(agreementsByDebtor("00003"));
    QCOMPARE(s->GridEX1->recordCount(), 0);
    s->Command9->click();
    QCOMPARE(fx.dialogs.lastText(), QString("Escolha na lista o acordo desejado."));
    QVERIFY(word.shown.isEmpty());
    s->applyRecordSource(agreementsByDebtor("00002"));
    s->GridEX1->setCurrentRow(s->GridEX1->findRow(1, "00002"));
    s->Command9->click();
    QCOMPARE(word.shown.size(), 1);
    QCOMPARE(word.shownText(), QString("Eu, BRUNO COSTA, devo"));
}

QTEST_MAIN(tst_letters)
#include "tst_letters.moc"
