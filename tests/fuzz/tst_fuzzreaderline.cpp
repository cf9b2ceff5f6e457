// The cheque reader's line, damaged in every way the mutation engine knows,
// typed into the entry screen and saved: the bank boxes get the line's parts
// and the issuer is looked up without an error report; the cheque is then
// saved with those parts as they are (its account key their join) or refused
// with a message, nothing written. Every run is rolled back.
#include "collection/rules/chequereader.h"
#include "collection/flancheques.h"
#include "collection/screens.h"
#include "data/database.h"
#include "fuzz/fuzzengine.h"
#include "platform/dbcombo.h"
#include "platform/maskedbox.h"
#include "core/paths.h"
#include "platform/screenregistry.h"
#include "shell/services/procedures.h"
#include "support/shell_fixture.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QtTest>

using kq::collection::ReaderLine;

class tst_fuzzreaderline : public QObject
{
    Q_OBJECT

private:
    kq::test::ShellFixture *m_fx = nullptr;
    kq::collection::flancheques *m_screen = nullptr;

    QLineEdit *box(const char *name) const
    {
        return m_screen->findChild<QLineEdit *>(QLatin1String(name));
    }
    qint64 errorLogSize() const
    {
        return QFileInfo(kq::platform::programFile(kq::shell::errorLogFileName())).size();
    }
    QString check(const QByteArray &input);

private slots:
    void initTestCase();
    void cleanupTestCase();
    void readerLines();
};

void tst_fuzzreaderline::initTestCase()
{
    kq::collection::registerScreens();
    m_fx = new kq::test::ShellFixture;
    const QString db = m_fx->devolvidos();
    kq::data::exec(db, QStringLiteral("INSERT INTO CLIENTES (CD_cliente, nm_cliente) "
                                      "VALUES ('00001', 'ANA PAULA')"));
    kq::data::exec(db,
                   QStringLiteral("INSERT INTO lojas (CD_loja, DS_loja) VALUES ('001', 'AZUL')"));
    // An issuer the seed line's account recalls.
    kq::data::exec(
        db, QStringLiteral(
                "INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, CD_CLIENTE, CD_LOJA, CD_BANCO, CD_AGENCIA, "
                "CD_CONTA, NR_CHEQUE, NM_EMITENTE, NR_DOCUMENTO, CD_chave, VL_CHEQUE, DT_DEPOSITO) "
                "VALUES ('0000000001', '00001', '001', '237', '1234', '1234567', '000123', "
                "'EMPRESA X', '12.345.678/0001-99', '23712341234567', 10, '2024-03-05')"));
    m_screen = qobject_cast<kq::collection::flancheques *>(
        kq::platform::ScreenRegistry::instance().show(QStringLiteral("flancheques")));
    QVERIFY(m_screen);
    auto *debtor = m_screen->findChild<kq::platform::DBCombo *>(QStringLiteral("nm_cliente"));
    debtor->setCurrentIndex(debtor->findText(QStringLiteral("ANA PAULA")));
}

void tst_fuzzreaderline::cleanupTestCase()
{
    delete m_fx;
}

QString tst_fuzzreaderline::check(const QByteArray &input)
{
    const QString db = m_fx->devolvidos();
    const auto count = [&db] {
        return kq::data::scalar(db, QStringLiteral("SELECT count(*) FROM DEVOLVIDOS")).toInt();
    };
    kq::data::Transaction undo(db);
    const int before = count();
    const qint64 logBefore = errorLogSize();
    const qsizetype messagesBefore = m_fx->dialogs.messages.size();

    const auto shown = [this] {
        return QStringList{box("CD_BANCO")->text(), box("CD_AGENCIA")->text(),
                           box("CD_CONTA")->text(), box("NR_CHEQUE")->text()};
    };
    const QStringList shownBefore = shown();
    box("ds_leitora")->setText(QString::fromUtf8(input));
    const ReaderLine cut = kq::collection::cutReaderLine(box("ds_leitora")->text());
    // A blank line is no reading: the boxes keep what they held.
    const QStringList wanted = box("ds_leitora")->text().trimmed().isEmpty()
                                   ? shownBefore
                                   : QStringList{cut.banco, cut.agencia, cut.conta, cut.cheque};
    m_screen->ds_leitora_LostFocus();
    const QStringList parts = shown();
    if (parts != wanted)
        return QStringLiteral("the boxes do not hold the line's parts: ") + parts.join(u'|');
    if (errorLogSize() != logBefore || m_fx->dialogs.messages.size() != messagesBefore)
        return QStringLiteral("the look-up said: ") + m_fx->dialogs.lastText();

    m_screen->findChild<kq::platform::MaskEdBox *>(QStringLiteral("dt_deposito"))
        ->setText(QStringLiteral("05/03/2024"));
    box("VL_CHEQUE")->setText(QStringLiteral("10"));
    box("CD_ALINEA")->setText(QStringLiteral("11"));
    m_screen->CONFIRMA_Click();
    if (errorLogSize() != logBefore)
        return QStringLiteral("the save was an error report: ") + m_fx->dialogs.lastText();
    const int after = count();
    if (after == before)
        return m_fx->dialogs.messages.size() > messagesBefore
                   ? QString()
                   : QStringLiteral("nothing saved and nothing said");
    if (after != before + 1)
        return QStringLiteral("%1 cheques saved").arg(after - before);
    QSqlQuery q = kq::data::exec(
        db,
        QStringLiteral("SELECT CD_BANCO, CD_AGENCIA, CD_CONTA, NR_CHEQUE, CD_chave FROM DEVOLVIDOS "
                       "ORDER BY CD_DEVOLVIDO DESC LIMIT 1"));
    q.next();
    const QStringList saved = {q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                               q.value(3).toString(), q.value(4).toString()};
    const QStringList expected = {parts[0], parts[1], parts[2], parts[3],
                                  kq::collection::accountKey(parts[0], parts[1], parts[2])};
    if (saved != expected)
        return QStringLiteral("saved %1, shown %2").arg(saved.join(u'|'), expected.join(u'|'));
    return QString();
}

void tst_fuzzreaderline::readerLines()
{
    const kq::fuzz::Mutator mutator(kq::fuzz::readCorpus(QStringLiteral("readerline")),
                                    {"<", ">", ":", "0", "9", " ", "'", "%", "_", "*"});
    const kq::fuzz::Outcome out = kq::fuzz::fuzz(
        QStringLiteral("readerline"), mutator, [this](const QByteArray &in) { return check(in); });
    QVERIFY2(out.clean(), qPrintable(out.report()));
}

QTEST_MAIN(tst_fuzzreaderline)
#include "tst_fuzzreaderline.moc"
