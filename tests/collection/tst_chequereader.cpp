// The cheque reader's line: the parts cheque entry takes from it by
// position, and the issuer's account key made of them.
#include "collection/chequereader.h"

#include <QtTest>

using kq::collection::accountKey;
using kq::collection::cutReaderLine;
using kq::collection::ReaderLine;

class tst_chequereader : public QObject
{
    Q_OBJECT

private slots:
    // Parts go by position alone: separators are not looked for, blanks and
    // letters are kept, and what follows position 32 is left out.
    void positions_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("banco");
        QTest::addColumn<QString>("agencia");
        QTest::addColumn<QString>("cheque");
        QTest::addColumn<QString>("conta");
        const QString full = QStringLiteral("<23712345<0180001235>700012345678:");
        QTest::newRow("longer line") << full + "999999"
                                     << "237"
                                     << "1234"
                                     << "000123"
                                     << "1234567";
        QTest::newRow("other separators")
            << QString(full).replace('<', ' ').replace('>', '|') << "237"
            << "1234"
            << "000123"
            << "1234567";
        QTest::newRow("blanks and letters kept")
            << QStringLiteral("<2 71A 345<0100 123>7000112 45678:") << "2 7"
            << "1A 3"
            << "00 123"
            << "12 4567";
        QTest::newRow("32 chars") << full.left(32) << "237"
                                  << "1234"
                                  << "000123"
                                  << "1234567";
        QTest::newRow("31 chars") << full.left(31) << "237"
                                  << "1234"
                                  << "000123"
                                  << "123456";
    }
    void positions()
    {
        QFETCH(QString, line);
        QFETCH(QString, banco);
        QFETCH(QString, agencia);
        QFETCH(QString, cheque);
        QFETCH(QString, conta);
        const ReaderLine r = cutReaderLine(line);
        QCOMPARE(r.banco, banco);
        QCOMPARE(r.agencia, agencia);
        QCOMPARE(r.cheque, cheque);
        QCOMPARE(r.conta, conta);
    }

    void accountKeys_data()
    {
        QTest::addColumn<QString>("banco");
        QTest::addColumn<QString>("agencia");
        QTest::addColumn<QString>("conta");
        QTest::addColumn<QString>("key");
        QTest::newRow("parts joined") << "237"
                                      << "1234"
                                      << "1234567"
                                      << "23712341234567";
        QTest::newRow("leading zeros kept") << "001"
                                            << "0001"
                                            << "0000015"
                                            << "00100010000015";
        QTest::newRow("empty agency") << "237"
                                      << ""
                                      << "99"
                                      << "23799";
        QTest::newRow("all empty") << ""
                                   << ""
                                   << ""
                                   << "";
    }
    void accountKeys()
    {
        QFETCH(QString, banco);
        QFETCH(QString, agencia);
        QFETCH(QString, conta);
        QFETCH(QString, key);
        QCOMPARE(accountKey(banco, agencia, conta), key);
    }
};

QTEST_GUILESS_MAIN(tst_chequereader)
#include "tst_chequereader.moc"
