#include "platform/letters/flatodt.h"
#include "platform/letters/wordprocessor.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using kq::platform::FlatOdtDocument;

namespace {

QString fodt(const QString &body)
{
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
               " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\""
               " office:version=\"1.3\""
               " office:mimetype=\"application/vnd.oasis.opendocument.text\">"
               "<office:master-styles><text:p>@NomeDev no rodapé</text:p>"
               "</office:master-styles>\n"
               "<office:body><office:text>\n%1\n</office:text></office:body></office:document>\n")
        .arg(body);
}

// Plain text after loading the XML written back (so the output is checked as XML).
QString roundTrip(const FlatOdtDocument &doc)
{
    FlatOdtDocument again;
    if (!again.load(doc.xml()))
        return QStringLiteral("<invalid: %1>").arg(again.errorString());
    return again.plainText();
}

} // namespace

class tst_flatodt : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void replaceInOrder_data();
    void replaceInOrder();
    void untouchedFileKeptByteForByte();
    void multiLineValueBecomesParagraphsOfSameStyle();
    void refusesOtherFiles();
    void flatOdtTemplateReadAsItIs();
    void conversionWithLibreOffice();

private:
    QTemporaryDir m_home;
};

void tst_flatodt::initTestCase()
{
    // The LibreOffice profile and the converted templates of a conversion
    // stay in the test's own folder.
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_home.filePath("cache")));
}

void tst_flatodt::flatOdtTemplateReadAsItIs()
{
    // A Flat ODT saved under a .doc name needs no conversion.
    QTemporaryDir dir;
    const QString path = dir.filePath("Carta Branda.doc");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(fodt("<text:p>@NomeDev</text:p>").toUtf8());
    f.close();
    QString error;
    QCOMPARE(kq::platform::LibreOfficeProcessor().toFlatOdt(path, &error),
             fodt("<text:p>@NomeDev</text:p>"));
    QVERIFY(
        kq::platform::LibreOfficeProcessor().toFlatOdt(dir.filePath("nada.doc"), &error).isEmpty());
    QVERIFY(error.contains("nada.doc"));
}

void tst_flatodt::replaceInOrder_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QStringList>("entries"); // placeholder, value, placeholder, value...
    QTest::addColumn<QString>("expected");

    QTest::newRow("twice, filled first then second")
        << "<text:p>A @NomeDev e B @NomeDev.</text:p>"
        << QStringList{"@NomeDev", "Ana", "@NomeDev", "Bia"} << "A Ana e B Bia.";
    QTest::newRow("missing placeholder skipped, cursor stays")
        << "<text:p>@NomeDev</text:p><text:p>@cidade</text:p>"
        << QStringList{"@NomeDev", "Ana", "@Falta", "x", "@cidade", "Lins"} << "Ana\nLins";
    QTest::newRow("prefix placeholders in list order")
        << "<text:p>@NomeDev @NomeDev1 @NomeDev2 @cidade @cidadedev</text:p>"
        << QStringList{"@NomeDev", "A",       "@NomeDev1", "B",          "@NomeDev2",
                       "C",        "@cidade", "D",         "@cidadedev", "E"}
        << "A B C D E";
    QTest::newRow("placeholder split over spans")
        << "<text:p>Sr. <text:span text:style-name=\"T1\">@Nome</text:span>"
           "<text:span text:style-name=\"T2\">Dev</text:span>!</text:p>"
        << QStringList{"@NomeDev", "João"} << "Sr. João!";
    QTest::newRow("case must match")
        << "<text:p>@nomedev @NomeDev</text:p>" << QStringList{"@NomeDev", "X"} << "@nomedev X";
    QTest::newRow("value escaped")
        << "<text:p>@NomeDev</text:p>" << QStringList{"@NomeDev", "A & B <Ltda> \"x\""}
        << "A & B <Ltda> \"x\"";
    QTest::newRow("runs of blanks kept")
        << "<text:p>[@documentos]</text:p>"
        << QStringList{"@documentos", "CHEQUE" + QString(14, u' ') + " | 05/03/2026"}
        << "[CHEQUE" + QString(14, u' ') + " | 05/03/2026]";
    QTest::newRow("leading blanks and text:s of the template")
        << "<text:p>@x<text:s text:c=\"3\"/>fim</text:p>" << QStringList{"@x", "  a"}
        << "  a   fim";
    QTest::newRow("search goes forward only")
        << "<text:p>@b @a</text:p>" << QStringList{"@a", "1", "@b", "2"} << "@b 1";
    QTest::newRow("value holding the placeholder is not searched again")
        << "<text:p>@a @a</text:p>" << QStringList{"@a", "@a!", "@a", "2"} << "@a! 2";
    QTest::newRow("empty value") << "<text:p>[@documentos]</text:p>"
                                 << QStringList{"@documentos", ""} << "[]";
}

void tst_flatodt::replaceInOrder()
{
    QFETCH(QString, body);
    QFETCH(QStringList, entries);
    QFETCH(QString, expected);
    FlatOdtDocument doc;
    QVERIFY2(doc.load(fodt(body)), qPrintable(doc.errorString()));
    for (int i = 0; i + 1 < entries.size(); i += 2)
        doc.replaceNext(entries[i], entries[i + 1]);
    QCOMPARE(doc.plainText(), expected);
    QCOMPARE(roundTrip(doc), expected);
}

void tst_flatodt::untouchedFileKeptByteForByte()
{
    const QString xml = fodt("<text:p text:style-name=\"P1\">Olá <text:bookmark text:name=\"m\"/>"
                             "@NomeDev</text:p><text:section text:name=\"s\"/><text:p/>");
    FlatOdtDocument doc;
    QVERIFY(doc.load(xml));
    QVERIFY(!doc.replaceNext("@Nada", "x"));
    QCOMPARE(doc.xml(), xml);
    // Kept elements survive a rebuilt paragraph; the footer is not body text.
    QVERIFY(doc.replaceNext("@NomeDev", "Ana"));
    QVERIFY(doc.xml().contains("<text:bookmark text:name=\"m\"/>Ana</text:p>"));
    QVERIFY(doc.xml().contains("@NomeDev no rodapé"));
}

void tst_flatodt::multiLineValueBecomesParagraphsOfSameStyle()
{
    FlatOdtDocument doc;
    QVERIFY(doc.load(fodt("<text:p text:style-name=\"Mono\" xml:id=\"p1\">Lista: @documentos"
                          " fim @usuario</text:p>")));
    QVERIFY(doc.replaceNext("@documentos", "L1 | 1,00\r\nL2  | 2,00\r\n"));
    QVERIFY(doc.replaceNext("@usuario", "Escritório"));
    QCOMPARE(doc.plainText(), QString("Lista: L1 | 1,00\nL2  | 2,00\n fim Escritório"));
    const QString xml = doc.xml();
    QCOMPARE(roundTrip(doc), doc.plainText());
    QCOMPARE(xml.count("<text:p text:style-name=\"Mono\""), 3);
    QCOMPARE(xml.count("xml:id=\"p1\""), 1);
}

void tst_flatodt::refusesOtherFiles()
{
    FlatOdtDocument doc;
    QVERIFY(!doc.load("<html><body>x</body></html>"));
    QVERIFY(!doc.errorString().isEmpty());
    QVERIFY(!doc.load(fodt("<text:p>aberto")));
    QVERIFY(!doc.replaceNext("@x", "y"));
}

void tst_flatodt::conversionWithLibreOffice()
{
    if (kq::platform::LibreOfficeProcessor::program().isEmpty())
        QSKIP("soffice not installed");
    QTemporaryDir dir;
    // An HTML file saved as .doc: LibreOffice reads it, as it reads Word files.
    const QString path = dir.filePath("Carta Teste.doc");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("<html><body><p>Prezado <b>@NomeDev</b>, de @cidade.</p></body></html>");
    f.close();
    kq::platform::LibreOfficeProcessor lo;
    QString error;
    const QString xml = lo.toFlatOdt(path, &error);
    QVERIFY2(!xml.isEmpty(), qPrintable(error));
    FlatOdtDocument doc;
    QVERIFY2(doc.load(xml), qPrintable(doc.errorString()));
    QVERIFY(doc.replaceNext("@NomeDev", "Ana & Filhos"));
    QVERIFY(doc.replaceNext("@cidade", "Bauru"));
    QVERIFY2(doc.plainText().contains("Prezado Ana & Filhos, de Bauru."),
             qPrintable(doc.plainText()));
    QCOMPARE(roundTrip(doc), doc.plainText());
}

QTEST_GUILESS_MAIN(tst_flatodt)
#include "tst_flatodt.moc"
