// Report files of the data folder, damaged in every way the mutation engine
// knows: each is read into a definition or refused with a reason, and a
// definition read runs over the database (or is refused with a reason) and
// prints, without an exception, a crash or a sanitizer report.
#include "data/database.h"
#include "data/shippedfiles.h"
#include "fuzz/fuzzengine.h"
#include "platform/report/reportdocument.h"
#include "platform/report/reportpage.h"
#include "support/base_data.h"

#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

using kq::platform::ReportDefinition;

class tst_fuzzreport : public QObject
{
    Q_OBJECT

private:
    kq::test::TempDataFolder m_data;
    QTemporaryDir m_out;
    int m_rendered = 0;

    QString check(const QByteArray &input);

private slots:
    void initTestCase();
    void reportFiles();
};

void tst_fuzzreport::initTestCase()
{
    const QString db = m_data.devolvidos();
    kq::data::exec(db, QStringLiteral("INSERT INTO CLIENTES (CD_cliente, nm_cliente) VALUES "
                                      "('00001', 'ANA'), ('00002', 'Élio')"));
    kq::data::exec(
        db, QStringLiteral(
                "INSERT INTO lojas (CD_loja, DS_loja) VALUES ('001', 'LOJA AZUL'), ('002', NULL)"));
    kq::test::addCheques(db, 6);
}

QString tst_fuzzreport::check(const QByteArray &input)
{
    QString why;
    const std::optional<ReportDefinition> def = ReportDefinition::parse(input, &why);
    if (!def)
        return why.isEmpty() ? QStringLiteral("refused without a reason") : QString();
    const QByteArray text = def->toJson();
    QString again;
    const std::optional<ReportDefinition> reread = ReportDefinition::parse(text, &again);
    if (!reread)
        return QStringLiteral("its own text is refused: ") + again;
    if (reread->toJson() != text)
        return QStringLiteral("its own text reads back different");
    try {
        QString error;
        const std::unique_ptr<kq::platform::ReportDocument> doc
            = kq::platform::ReportDocument::open(*def, m_data.devolvidos(), QString(), &error);
        if (!doc)
            return error.isEmpty() ? QStringLiteral("run refused without a reason") : QString();
        doc->readAll();
        doc->lines();
        // Printing is the slow part: every eighth report that runs.
        if (m_rendered++ % 8 == 0) {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(m_out.filePath(QStringLiteral("relatorio.pdf")));
            if (kq::platform::renderReport(&printer, *doc) < 1)
                return QStringLiteral("a report that runs printed no page");
        }
    } catch (const std::exception &e) {
        return QStringLiteral("exception: ") + QString::fromUtf8(e.what());
    }
    return QString();
}

void tst_fuzzreport::reportFiles()
{
    QList<QByteArray> seeds = kq::fuzz::readCorpus(QStringLiteral("report"));
    for (const auto &[name, contents] : kq::data::shippedFiles())
        if (name.endsWith(QLatin1String(".rpt")))
            seeds << contents;
    const kq::fuzz::Mutator mutator(seeds,
                                    {"{",
                                     "}",
                                     "[",
                                     "]",
                                     ":",
                                     ",",
                                     "null",
                                     "true",
                                     "false",
                                     "\"formato\"",
                                     "\"versao\"",
                                     "\"campos\"",
                                     "\"tabelas\"",
                                     "\"filtro\"",
                                     "\"ordem\"",
                                     "\"colunas\"",
                                     "\"grupos\"",
                                     "\"campo\"",
                                     "\"titulo\"",
                                     "\"largura\"",
                                     "\"alinhamento\"",
                                     "\"total\"",
                                     "\"soma\"",
                                     "\"contagem\"",
                                     "\"paisagem\"",
                                     ";",
                                     "(",
                                     ")",
                                     "--",
                                     "/*",
                                     "'",
                                     "DEVOLVIDOS.",
                                     "0.00",
                                     "dd/mm/yyyy",
                                     "Currency"},
                                    kq::fuzz::Mutator::Shape::Json);
    const kq::fuzz::Outcome out = kq::fuzz::fuzz(
        QStringLiteral("report"), mutator, [this](const QByteArray &in) { return check(in); });
    QVERIFY2(out.clean(), qPrintable(out.report()));
}

QTEST_MAIN(tst_fuzzreport)
#include "tst_fuzzreport.moc"
