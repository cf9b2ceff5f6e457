// Length limits: cuts keep whole characters, in texts and in boxes.
#include "platform/textlimit.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

using kq::platform::cutText;
using kq::platform::setTextLimit;

namespace {
const QString kSmile = QString::fromUtf8("\xF0\x9F\x98\x80"); // U+1F600, two units
const QString kFamily = QString::fromUtf8("\xF0\x9F\x91\xA8\xE2\x80\x8D"
                                          "\xF0\x9F\x91\xA9");               // man ZWJ woman
const QString kFlag = QString::fromUtf8("\xF0\x9F\x87\xA7\xF0\x9F\x87\xB7"); // BR flag
const QString kAcute = QString::fromUtf8("e\xCC\x81");                       // e + combining acute

// True when the text survives UTF-8: no lone surrogate, nothing to store as U+FFFD.
bool whole(const QString &s)
{
    return QString::fromUtf8(s.toUtf8()) == s && !s.contains(QChar(0xFFFD));
}
} // namespace

class tst_textlimit : public QObject
{
    Q_OBJECT
private slots:
    void cutsWholeCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("kept");
        QTest::newRow("shorter") << "abc" << 5 << "abc";
        QTest::newRow("exact") << "abcde" << 5 << "abcde";
        QTest::newRow("plain cut") << "abcdefg" << 5 << "abcde";
        QTest::newRow("emoji across the limit") << "abcd" + kSmile + "x" << 5 << "abcd";
        QTest::newRow("emoji ending at the limit") << "abc" + kSmile + "x" << 5 << "abc" + kSmile;
        QTest::newRow("combining mark across") << "abcd" + kAcute << 5 << "abcd";
        QTest::newRow("accented letter")
            << QString::fromUtf8("Joséfina") << 4 << QString::fromUtf8("José");
        QTest::newRow("joined emoji") << "ab" + kFamily << 5 << "ab";
        QTest::newRow("flag") << "abc" + kFlag << 5 << "abc";
        QTest::newRow("nothing fits") << kSmile << 1 << "";
        QTest::newRow("no room") << "abc" << 0 << "";
    }
    void cutsWholeCharacters()
    {
        QFETCH(QString, text);
        QFETCH(int, limit);
        QFETCH(QString, kept);
        const QString cut = cutText(text, limit);
        QCOMPARE(cut, kept);
        QVERIFY(whole(cut));
    }

    // A line box takes typed, pasted and programmatic text within its limit.
    void lineBox()
    {
        QLineEdit box;
        setTextLimit(&box, 5);
        QCOMPARE(kq::platform::textLimit(&box), 5);
        box.setText("abcd" + kSmile);
        QCOMPARE(box.text(), QStringLiteral("abcd"));
        box.setText(QStringLiteral("abcdefgh"));
        QCOMPARE(box.text(), QStringLiteral("abcde"));

        box.clear();
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QTest::keyClicks(&box, QStringLiteral("abcd"));
        box.insert(kSmile);
        QCOMPARE(box.text(), QStringLiteral("abcd"));
        QVERIFY(whole(box.text()));
        // A full box refuses what is typed in its middle, as a box with a
        // maximum does; the text after the cursor stays.
        QTest::keyClick(&box, Qt::Key_E);
        box.setCursorPosition(2);
        QTest::keyClick(&box, Qt::Key_X);
        QCOMPARE(box.text(), QStringLiteral("abcde"));
        box.setText(QStringLiteral("abc"));
        box.setCursorPosition(1);
        box.insert("X" + kSmile);
        QCOMPARE(box.text(), QStringLiteral("aXbc"));
        QCOMPARE(box.cursorPosition(), 2);
        QApplication::clipboard()->setText("12" + kSmile);
        box.setText(QStringLiteral("abc"));
        box.end(false);
        box.paste();
        QCOMPARE(box.text(), QStringLiteral("abc12"));
    }

    // A box of several lines: the history at its limit of 200.
    void multiLineBox()
    {
        QPlainTextEdit box;
        setTextLimit(&box, 200);
        box.setPlainText(QString(199, QLatin1Char('a')) + kSmile);
        QCOMPARE(box.toPlainText(), QString(199, QLatin1Char('a')));
        box.setPlainText(QString(230, QLatin1Char('b')));
        QCOMPARE(box.toPlainText().size(), 200);
        box.setPlainText(QString(198, QLatin1Char('c')));
        box.moveCursor(QTextCursor::End);
        box.insertPlainText(kSmile + kSmile);
        QCOMPARE(box.toPlainText(), QString(198, QLatin1Char('c')) + kSmile);
        QVERIFY(whole(box.toPlainText()));
    }
};

QTEST_MAIN(tst_textlimit)
#include "tst_textlimit.moc"
