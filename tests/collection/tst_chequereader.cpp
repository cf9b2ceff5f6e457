// The cheque reader's line: the parts cheque entry takes from it by
// position, and the issuer's account key made of them.
#include "collection/rules/chequereader.h"

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
        QTest::newRow("full") << full << "237"
                              << "1234"
                              << "000123"
                              << "1234567";
        QTest::newRow("20 chars") << full.left(20) << "237"
                                  << "1234"
                                  << "000123"
                                  << "";
        QTest::newRow("28 chars") << full.left(28) << "237"
                                  << "1234"
                                  << "000123"
                                  << "123";
        QTest::newRow("13 chars") << full.left(13) << "237"
                                  << "1234"
                                  << ""
                                  << "";
        QTest::newRow("one char") << "<"
                                  << ""
                                  << ""
                                  << ""
                                  << "";
        QTest::newRow("empty") << ""
                               << ""
                               << ""
                               << ""
                               << "";
        // A character outside the BMP (two UTF-16 units) counts once and is
        // never cut in two: half of one would be saved as another character.
        const QString wide = QString::fromUtf8("\xF0\x9F\x98\x80");
        QTest::newRow("wide first") << wide + full.mid(1) << "237"
                                    << "1234"
                                    << "000123"
                                    << "1234567";
        QTest::newRow("wide in the bank")
            << full.left(2) + wide + full.mid(3) << QString(u'2' + wide) << "1234"
            << "000123"
            << "1234567";
        QTest::newRow("wide at the bank's limit") << full.left(3) + wide + full.mid(4) << "23"
                                                  << "1234"
                                                  << "000123"
                                                  << "1234567";
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
        if (line.size() >= 32 && banco == QLatin1String("237"))
            QCOMPARE(accountKey(r.banco, r.agencia, r.conta), QStringLiteral("23712341234567"));
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
