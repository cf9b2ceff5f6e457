// Declared layouts: cells, spans and captions land where the declaration
// says, and captions give the focus and the names of their boxes.
#include "platform/form.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace kq::platform::form;

namespace {

// A screen of six boxes a to f, laid as a grid with a skipped column, spans
// and captions, the last row inside a group.
struct Screen
{
    QWidget window;
    QGridLayout *grid = nullptr;
    QLineEdit *box(const char *name) const
    {
        return window.findChild<QLineEdit *>(QString::fromLatin1(name));
    }

    Screen()
    {
        auto *a = named<QLineEdit>(QStringLiteral("a"), &window);
        auto *b = named<QLineEdit>(QStringLiteral("b"), &window);
        auto *c = named<QLineEdit>(QStringLiteral("c"), &window);
        auto *d = named<QLineEdit>(QStringLiteral("d"), &window);
        auto *e = known<QLineEdit>(QStringLiteral("e"), &window);
        auto *f = named<QLineEdit>(QStringLiteral("f"), &window);
        const Grid fields = Grid{
            {field(QStringLiteral("&Alfa"), a), skip(), field(QStringLiteral("&Beta"), b)},
            {field(QStringLiteral("&Gama"), c).span(4)},
            {Item(d).span(1, 2),
             e}}.nameBoxes();
        grid = fields.layout();
        Column{fields,
               group(QStringLiteral("Grupo"), Row{field(QStringLiteral("&Fim"), f)}, &window)}
            .attachTo(&window);
    }
};

} // namespace

class tst_form : public QObject
{
    Q_OBJECT
private slots:
    void cellsLandWhereDeclared_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("rowSpan");
        QTest::addColumn<int>("columnSpan");
        QTest::newRow("after its caption") << "a" << 0 << 1 << 1 << 1;
        QTest::newRow("past a skipped column") << "b" << 0 << 4 << 1 << 1;
        QTest::newRow("spanning columns") << "c" << 1 << 1 << 1 << 4;
        QTest::newRow("spanning rows") << "d" << 2 << 0 << 2 << 1;
        QTest::newRow("beside a span") << "e" << 2 << 1 << 1 << 1;
    }
    void cellsLandWhereDeclared()
    {
        QFETCH(QString, name);
        Screen s;
        const int index = s.grid->indexOf(s.box(name.toLatin1().constData()));
        QVERIFY(index >= 0);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(int, rowSpan);
        QFETCH(int, columnSpan);
        int at[4] = {-1, -1, -1, -1};
        s.grid->getItemPosition(index, &at[0], &at[1], &at[2], &at[3]);
        QCOMPARE(at[0], row);
        QCOMPARE(at[1], column);
        QCOMPARE(at[2], rowSpan);
        QCOMPARE(at[3], columnSpan);
    }

    // The mnemonic of each caption, pressed, gives its box the focus; the
    // grid named its boxes by their captions, the box with no caption by
    // its own name, and the group's box keeps only its caption.
    void captionsSpeakForTheirBoxes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("accessibleName");
        QTest::newRow("grid field") << "a" << int(Qt::Key_A) << "&Alfa";
        QTest::newRow("skipped-column field") << "b" << int(Qt::Key_B) << "&Beta";
        QTest::newRow("spanning field") << "c" << int(Qt::Key_G) << "&Gama";
        QTest::newRow("no caption") << "e" << 0 << "e";
        QTest::newRow("field in a group") << "f" << int(Qt::Key_F) << "";
    }
    void captionsSpeakForTheirBoxes()
    {
        QFETCH(QString, name);
        QFETCH(int, key);
        Screen s;
        s.window.show();
        QApplication::setActiveWindow(&s.window);
        QVERIFY(QTest::qWaitForWindowActive(&s.window));
        QLineEdit *box = s.box(name.toLatin1().constData());
        QCOMPARE(box->window(), &s.window);
        if (key) {
            s.box("d")->setFocus();
            QTest::keyClick(&s.window, Qt::Key(key), Qt::AltModifier);
            QCOMPARE(QApplication::focusWidget(), box);
        }
        QFETCH(QString, accessibleName);
        QCOMPARE(box->accessibleName(), accessibleName);
    }
};

QTEST_MAIN(tst_form)
#include "tst_form.moc"
