// Cheque entry rules: the reader line, the checks before a write, and the
// writes and look-ups of DEVOLVIDOS.
#include "collection/rules/chequerules.h"
#include "data/database.h"
#include "data/dataerror.h"
#include "data/datafolder.h"
#include "data/recordset.h"
#include "support/base_folders.h"
#include "support/base_server.h"

#include <QLocale>
#include <QSqlQuery>
#include <QTest>

using namespace kq::collection;

class tst_chequerules : public QObject
{
    Q_OBJECT

private:
    kq::test::TempFolders *m_folders = nullptr;
    QString m_db;
    const QDate m_today{2024, 6, 15};

    static ChequeForm goodForm()
    {
        ChequeForm f;
        f.cliente = QStringLiteral("00001");
        f.loja = QStringLiteral("001");
        f.destino = QStringLiteral("001");
        f.situacao = QStringLiteral("001");
        f.documento = QStringLiteral("01");
        f.banco = QStringLiteral("237");
        f.agencia = QStringLiteral("1234");
        f.conta = QStringLiteral("1234567");
        f.cheque = QStringLiteral("000123");
        f.emitente = QStringLiteral("JOSÉ DA SILVA");
        f.nrDocumento = QStringLiteral("123.456.789-00");
        f.alinea = QStringLiteral("11");
        f.deposito = QStringLiteral("05/03/2024");
        f.valor = QStringLiteral("150,75");
        return f;
    }
    QVariant field(const QString &key, const QString &name) const
    {
        return kq::data::scalar(
            m_db, QStringLiteral("SELECT %1 FROM DEVOLVIDOS WHERE CD_DEVOLVIDO=?").arg(name),
            {key});
    }
    int chequeCount() const
    {
        return kq::data::scalar(m_db, QStringLiteral("SELECT COUNT(*) FROM DEVOLVIDOS")).toInt();
    }
    QString include(const ChequeForm &f)
    {
        const ChequeCheck c = checkCheque(m_db, f);
        if (!c.ok())
            return QString();
        return includeCheque(m_db, c.record, m_today);
    }

private slots:
    void initTestCase()
    {
        KQ_SKIP_WITHOUT_SERVER();
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    }
    void init()
    {
        m_folders = new kq::test::TempFolders;
        kq::data::prepareDataFolder(m_folders->dataFolder());
        m_db = m_folders->dataFile(kq::data::kDevolvidos);
        kq::data::exec(m_db, QStringLiteral("INSERT INTO CLIENTES (CD_cliente, nm_cliente, "
                                            "nr_documento) VALUES ('00001', 'JOSÉ DA SILVA', "
                                            "'123.456.789-00')"));
        kq::data::exec(m_db, QStringLiteral("INSERT INTO lojas (CD_loja, DS_loja, cd_cor) "
                                            "VALUES ('001', 'LOJA A', '255')"));
    }
    void cleanup()
    {
        kq::data::closeAllDatabases();
        delete m_folders;
        m_folders = nullptr;
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("fieldName");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("no destination") << "destino"
                                        << "" << ChequeText::semDestino;
        QTest::newRow("unknown destination") << "destino"
                                             << "999" << ChequeText::semDestino;
        QTest::newRow("no situation") << "situacao"
                                      << "" << ChequeText::semSituacao;
        QTest::newRow("empty value") << "valor"
                                     << "" << ChequeText::valorZerado;
        QTest::newRow("zero") << "valor"
                              << "0" << ChequeText::valorZerado;
        QTest::newRow("zero cents") << "valor"
                                    << "0,00" << ChequeText::valorZerado;
        QTest::newRow("negative") << "valor"
                                  << "-10,00" << ChequeText::valorZerado;
        QTest::newRow("not a number") << "valor"
                                      << "12abc" << ChequeText::valorInvalido;
        QTest::newRow("no debtor") << "cliente"
                                   << "" << ChequeText::semInadimplente;
        QTest::newRow("unknown debtor") << "cliente"
                                        << "00077" << ChequeText::semInadimplente;
        QTest::newRow("no store") << "loja"
                                  << "" << ChequeText::semLoja;
        QTest::newRow("empty date") << "deposito"
                                    << "__/__/____" << ChequeText::dataInvalida;
        QTest::newRow("impossible date") << "deposito"
                                         << "31/02/2024" << ChequeText::dataInvalida;
        QTest::newRow("half date") << "deposito"
                                   << "05/03/____" << ChequeText::dataInvalida;
    }
    void refusals()
    {
        QFETCH(QString, fieldName);
        QFETCH(QString, value);
        QFETCH(QString, refusal);
        ChequeForm f = goodForm();
        QString *target = fieldName == "destino"    ? &f.destino
                          : fieldName == "situacao" ? &f.situacao
                          : fieldName == "valor"    ? &f.valor
                          : fieldName == "cliente"  ? &f.cliente
                          : fieldName == "loja"     ? &f.loja
                                                    : &f.deposito;
        *target = value;
        QCOMPARE(checkCheque(m_db, f).refusal, refusal);
        QVERIFY(include(f).isEmpty());
        QCOMPARE(chequeCount(), 0);
    }
    // The destination is checked before anything else, as the screen always did.
    void refusalOrder()
    {
        ChequeForm f = goodForm();
        f.destino.clear();
        f.situacao.clear();
        f.valor = QStringLiteral("0");
        f.cliente.clear();
        QCOMPARE(checkCheque(m_db, f).refusal, ChequeText::semDestino);
        f.destino = QStringLiteral("001");
        QCOMPARE(checkCheque(m_db, f).refusal, ChequeText::semSituacao);
        f.situacao = QStringLiteral("001");
        QCOMPARE(checkCheque(m_db, f).refusal, ChequeText::valorZerado);
    }

    // One regional reading for the check and for what is stored.
    void acceptedValues_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("stored");
        QTest::newRow("fifty cents") << "0,50" << 0.5;
        QTest::newRow("grouped") << "1.234,56" << 1234.56;
        QTest::newRow("plain") << "1234,56" << 1234.56;
        QTest::newRow("currency") << "R$ 10,00" << 10.0;
    }
    void acceptedValues()
    {
        QFETCH(QString, typed);
        QFETCH(double, stored);
        ChequeForm f = goodForm();
        f.valor = typed;
        const QString key = include(f);
        QVERIFY(!key.isEmpty());
        QCOMPARE(field(key, "VL_CHEQUE").toDouble(), stored);
    }

    void includeWritesWholeRow()
    {
        const QString key = include(goodForm());
        QCOMPARE(key, QStringLiteral("0000000001"));
        QCOMPARE(field(key, "CD_CLIENTE").toString(), QStringLiteral("00001"));
        QCOMPARE(field(key, "CD_LOJA").toString(), QStringLiteral("001"));
        QCOMPARE(field(key, "DT_VANTESCA").toString(), QStringLiteral("2024-06-15"));
        QCOMPARE(field(key, "DT_DEPOSITO").toString(), QStringLiteral("2024-03-05"));
        QCOMPARE(field(key, "VL_CHEQUE").toDouble(), 150.75);
        QCOMPARE(field(key, "CD_SITUACAO").toString(), QStringLiteral("001"));
        QCOMPARE(field(key, "CD_DESTINO").toString(), QStringLiteral("001"));
        QCOMPARE(field(key, "NR_CHEQUE").toString(), QStringLiteral("000123"));
        QCOMPARE(field(key, "NM_EMITENTE").toString(), QStringLiteral("JOSÉ DA SILVA"));
        QCOMPARE(field(key, "NR_DOCUMENTO").toString(), QStringLiteral("123.456.789-00"));
        QCOMPARE(field(key, "cd_ref").toString(), QStringLiteral("03/2024"));
        QCOMPARE(field(key, "CD_ALINEA").toString(), QStringLiteral("11"));
        QCOMPARE(field(key, "CD_documento").toString(), QStringLiteral("01"));
        QCOMPARE(field(key, "CD_chave").toString(), QStringLiteral("23712341234567"));
        QVERIFY(field(key, "vl_atualizado").isNull());
    }

    void keysFollowTheTable()
    {
        QCOMPARE(include(goodForm()), QStringLiteral("0000000001"));
        QCOMPARE(include(goodForm()), QStringLiteral("0000000002"));
        // A key written meanwhile by someone else is not taken again.
        kq::data::exec(m_db, QStringLiteral("INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO) "
                                            "VALUES ('0000000009')"));
        QCOMPARE(include(goodForm()), QStringLiteral("0000000010"));
    }

    void alterRewritesButKeepsAgreementFields()
    {
        const QString key = include(goodForm());
        kq::data::exec(m_db,
                       QStringLiteral("UPDATE DEVOLVIDOS SET vl_atualizado=160, "
                                      "ref_atualizacao='2024/05', cd_acordo='00003', "
                                      "DT_VANTESCA='2024-01-01' WHERE CD_DEVOLVIDO=?"),
                       {key});
        ChequeForm f = goodForm();
        f.valor = QStringLiteral("99,90");
        f.deposito = QStringLiteral("10/04/2024");
        f.conta = QStringLiteral("7654321");
        const ChequeCheck c = checkCheque(m_db, f);
        QVERIFY(c.ok());
        QVERIFY(alterCheque(m_db, key, c.record, QDate(2024, 6, 20)));
        QCOMPARE(field(key, "VL_CHEQUE").toDouble(), 99.9);
        QCOMPARE(field(key, "DT_VANTESCA").toString(), QStringLiteral("2024-06-20"));
        QCOMPARE(field(key, "cd_ref").toString(), QStringLiteral("04/2024"));
        QCOMPARE(field(key, "CD_chave").toString(), QStringLiteral("23712347654321"));
        QCOMPARE(field(key, "vl_atualizado").toDouble(), 160.0);
        QCOMPARE(field(key, "ref_atualizacao").toString(), QStringLiteral("2024/05"));
        QCOMPARE(field(key, "cd_acordo").toString(), QStringLiteral("00003"));
        QVERIFY(!alterCheque(m_db, QStringLiteral("0000000077"), c.record, m_today));
        QVERIFY(!alterCheque(m_db, QString(), c.record, m_today));
        QCOMPARE(chequeCount(), 1);
    }

    void deleteTwice()
    {
        const QString key = include(goodForm());
        include(goodForm());
        QVERIFY(deleteCheque(m_db, key));
        QVERIFY(!deleteCheque(m_db, key));
        QCOMPARE(chequeCount(), 1);
    }

    void issuerRecalledFromFirstChequeOfAccount()
    {
        QVERIFY(!issuerOfAccount(m_db, QStringLiteral("23712341234567")));
        include(goodForm());
        ChequeForm later = goodForm();
        later.emitente = QStringLiteral("OUTRO NOME");
        include(later);
        const auto issuer = issuerOfAccount(m_db, QStringLiteral("23712341234567"));
        QVERIFY(issuer);
        QCOMPARE(issuer->nome, QStringLiteral("JOSÉ DA SILVA"));
        QCOMPARE(issuer->documento, QStringLiteral("123.456.789-00"));
        // A line with an apostrophe is only text to look for.
        QVERIFY(!issuerOfAccount(m_db, QStringLiteral("x' OR ''='")));
    }

    void documentSearch()
    {
        QVERIFY(!firstChequeOfDocument(m_db, QString()));
        include(goodForm());
        ChequeForm f = goodForm();
        f.nrDocumento.clear();
        const QString noDoc = include(f);
        QCOMPARE(firstChequeOfDocument(m_db, QStringLiteral("123.456.789-00")).value_or(""),
                 QStringLiteral("0000000001"));
        // An empty answer finds a cheque whose document is empty.
        QCOMPARE(firstChequeOfDocument(m_db, QString()).value_or(""), noDoc);
        QVERIFY(!firstChequeOfDocument(m_db, QStringLiteral("' OR 1=1 --")));
        QCOMPARE(debtorDocument(m_db, QStringLiteral("00001")).value_or("?"),
                 QStringLiteral("123.456.789-00"));
        QVERIFY(!debtorDocument(m_db, QStringLiteral("00009")));
    }

    // The history sources look for the code or document as typed: quotes,
    // control characters and NUL are found literally, never read as SQL.
    void historySourcesTakeValuesAsTyped_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << QStringLiteral("00002");
        QTest::newRow("quote") << QStringLiteral("d'arc");
        QTest::newRow("sql text") << QStringLiteral("' OR '1'='1");
        QTest::newRow("tab and line break") << QStringLiteral("12\t3\n4");
        QTest::newRow("nul") << QStringLiteral("12") + QChar(0) + QStringLiteral("3");
    }
    void historySourcesTakeValuesAsTyped()
    {
        QFETCH(QString, value);
        using kq::data::exec;
        const QString addDebtor
            = QStringLiteral("INSERT INTO CLIENTES (CD_cliente, nm_cliente) VALUES (?, 'X')");
        if (value.contains(QChar(0)) && kq::data::dialectOf(m_db) == kq::data::Dialect::Postgres) {
            // A server keeps no NUL in a text: refused, nothing written.
            try {
                exec(m_db, addDebtor, {value});
                QFAIL("the server took a NUL");
            } catch (const kq::data::DataError &e) {
                QCOMPARE(e.number(), kq::data::ErrorNumber::TypeMismatch);
                QVERIFY2(e.description().contains(QStringLiteral("caractere nulo")),
                         qPrintable(e.description()));
            }
            QCOMPARE(kq::data::scalar(m_db, QStringLiteral("SELECT count(*) FROM CLIENTES WHERE "
                                                           "CD_cliente LIKE '12%'"))
                         .toInt(),
                     0);
            return;
        }
        exec(m_db, addDebtor, {value});
        const QString insert = QStringLiteral(
            "INSERT INTO DEVOLVIDOS (CD_DEVOLVIDO, CD_CLIENTE, CD_LOJA, CD_SITUACAO, "
            "NR_DOCUMENTO, DT_DEPOSITO) VALUES (?, ?, '001', '001', ?, '2024-01-01')");
        exec(m_db, insert, {QStringLiteral("0000000001"), value, value});
        // Near misses that a broken literal or a cut text would also find.
        exec(m_db, insert, {QStringLiteral("0000000002"), QStringLiteral("00001"), value.left(2)});
        for (const kq::data::RecordSource &source :
             {debtorHistorySource(value), documentHistorySource(value)}) {
            kq::data::Recordset rs(m_db, source);
            QCOMPARE(rs.recordCount(), 1);
            QCOMPARE(rs.text(QStringLiteral("cd_cliente")), value);
        }
    }
};

QTEST_GUILESS_MAIN(tst_chequerules)
#include "tst_chequerules.moc"
