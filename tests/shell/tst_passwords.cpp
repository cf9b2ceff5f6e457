// Salted password hashes: what matches a stored hash, and which texts count
// as one.
#include "shell/rules/passwords.h"

#include <QtTest>

class tst_passwords : public QObject
{
    Q_OBJECT

private slots:
    void matches_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("match");
        QTest::newRow("same") << "Senha1"
                              << "Senha1" << true;
        QTest::newRow("case of a letter") << "Senha1"
                                          << "senha1" << false;
        QTest::newRow("trailing blank") << "Senha1"
                                        << "Senha1 " << false;
        QTest::newRow("leading blank") << " a"
                                       << "a" << false;
        QTest::newRow("empty") << ""
                               << "" << true;
        QTest::newRow("accents") << "çãé"
                                 << "çãé" << true;
        QTest::newRow("accent dropped") << "çãé"
                                        << "cae" << false;
        // "é" as one character or as "e" and a combining accent: the
        // bytes differ, so the passwords do.
        QTest::newRow("decomposed accent")
            << QString::fromUtf8("\xC3\xA9") << QString::fromUtf8("e\xCC\x81") << false;
        QTest::newRow("outside the BMP") << QString::fromUtf8("a\xF0\x9F\x98\x80")
                                         << QString::fromUtf8("a\xF0\x9F\x98\x80") << true;
        QTest::newRow("prefix") << "Senha12"
                                << "Senha1" << false;
    }
    void matches()
    {
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QFETCH(bool, match);
        const QString hash = kq::shell::hashPassword(stored);
        QVERIFY(hash != stored);
        QVERIFY(kq::shell::isPasswordHash(hash));
        QCOMPARE(kq::shell::verifyPassword(typed, hash), match);
        // Salted: the same password never gives the same text twice.
        QVERIFY(kq::shell::hashPassword(stored) != hash);
    }

    // A stored value that is not a hash (an old plain-text password, an
    // empty one, a damaged hash) matches nothing, its own text included.
    void nonHashesNeverMatch_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("typed");
        const QString hash = kq::shell::hashPassword(QStringLiteral("abc"));
        QTest::newRow("plain text") << "abc"
                                    << "abc";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("prefix alone") << "$argon2id$"
                                      << "";
        QTest::newRow("cut short") << hash.left(hash.size() - 4) << "abc";
        QString changed = hash;
        const qsizetype at = hash.size() - 10; // inside the digest
        changed[at] = hash.at(at) == QLatin1Char('A') ? QLatin1Char('B') : QLatin1Char('A');
        QTest::newRow("one character changed") << changed << "abc";
        QTest::newRow("too long") << hash + QString(200, QLatin1Char('A')) << "abc";
    }
    void nonHashesNeverMatch()
    {
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QVERIFY(!kq::shell::verifyPassword(typed, stored));
    }

    void hashForm_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isHash");
        QTest::newRow("written hash") << kq::shell::hashPassword(QStringLiteral("x")) << true;
        QTest::newRow("plain text") << "senha" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("other scheme") << "$argon2i$v=19$m=4096,t=3,p=1$c2FsdA$aGFzaA" << false;
        QTest::newRow("too long") << "$argon2id$" + QString(200, QLatin1Char('A')) << false;
    }
    void hashForm()
    {
        QFETCH(QString, text);
        QFETCH(bool, isHash);
        QCOMPARE(kq::shell::isPasswordHash(text), isHash);
    }
};

QTEST_GUILESS_MAIN(tst_passwords)
#include "tst_passwords.moc"
