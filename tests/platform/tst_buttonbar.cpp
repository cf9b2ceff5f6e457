// The menu bar driven from the keyboard alone.
#include "platform/buttonbar.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using kq::platform::ButtonBar;

namespace {

// A window with a bar of three groups (2 items, none, 1 item) and a button
// after it, as the main window has.
struct Menu
{
    Menu()
    {
        auto *layout = new QHBoxLayout(&window);
        bar = new ButtonBar(&window);
        bar->addGroup(QStringLiteral("Cadastros"));
        bar->addGroup(QStringLiteral("Lançamentos"));
        bar->addGroup(QStringLiteral("B.I."));
        bar->addItem(1, QStringLiteral("K11"), QStringLiteral("Clientes"));
        bar->addItem(3, QStringLiteral("K13"), QStringLiteral("Cubo"));
        bar->addItem(1, QStringLiteral("K21"), QStringLiteral("Usuários"));
        after = new QPushButton(QStringLiteral("&SAIR"), &window);
        layout->addWidget(bar);
        layout->addWidget(after);
        window.resize(400, 500);
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            qWarning("menu window not active");
    }

    // "H2" is the header of group 2, "I1.2" item 2 of group 1, "after" the
    // button after the bar.
    QWidget *stop(const QString &name) const
    {
        if (name == QLatin1String("after"))
            return after;
        if (name.startsWith(QLatin1Char('H')))
            return bar->header(name.mid(1).toInt());
        const QStringList at = name.mid(1).split(QLatin1Char('.'));
        return bar->item(at.at(0).toInt(), at.at(1).toInt());
    }
    QString nameOf(QWidget *w) const
    {
        for (const QString n : {"H1", "H2", "H3", "I1.1", "I1.2", "I3.1", "after"})
            if (stop(n) == w)
                return n;
        return w ? QStringLiteral("unnamed ") + QString::fromLatin1(w->metaObject()->className())
                 : QStringLiteral("none");
    }
    QString focus() const { return nameOf(QApplication::focusWidget()); }

    QWidget window;
    ButtonBar *bar = nullptr;
    QPushButton *after = nullptr;
};

void press(const QString &keys)
{
    static const QHash<QString, Qt::Key> names{
        {"Tab", Qt::Key_Tab},      {"Backtab", Qt::Key_Backtab}, {"Up", Qt::Key_Up},
        {"Down", Qt::Key_Down},    {"Home", Qt::Key_Home},       {"End", Qt::Key_End},
        {"Enter", Qt::Key_Return}, {"Space", Qt::Key_Space},
    };
    for (const QString &k : keys.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        QWidget *target = QApplication::focusWidget();
        QVERIFY2(target, "no focus");
        QVERIFY2(names.contains(k), qPrintable(k));
        const Qt::KeyboardModifiers mods
            = k == QLatin1String("Backtab") ? Qt::ShiftModifier : Qt::NoModifier;
        QTest::keyClick(target, names.value(k), mods);
    }
}

} // namespace

class tst_buttonbar : public QObject
{
    Q_OBJECT
private slots:
    void opensOnTheFirstItemOfTheOpenGroup()
    {
        Menu m;
        QCOMPARE(m.bar->currentGroup(), 1);
        m.bar->focusCurrentGroup();
        QCOMPARE(m.focus(), QStringLiteral("I1.1"));
        // A group with no items: its header.
        m.bar->setCurrentGroup(2);
        m.bar->focusCurrentGroup();
        QCOMPARE(m.focus(), QStringLiteral("H2"));
    }

    void headersAreNamedByTheirCaptions()
    {
        Menu m;
        for (int g = 1; g <= 3; ++g) {
            QCOMPARE(m.bar->header(g)->accessibleName(), m.bar->groupCaption(g));
            QVERIFY(m.bar->header(g)->focusPolicy() & Qt::TabFocus);
        }
        QCOMPARE(m.bar->groupCaption(2), QStringLiteral("Lançamentos"));
        QCOMPARE(m.bar->item(1, 2)->accessibleName(), QStringLiteral("Usuários"));
    }

    // Every Tab stop is a header, an item of the open group or the window's
    // own button, in the order they stand on screen; Shift+Tab walks back.
    void tabWalksHeadersAndOpenItems()
    {
        Menu m;
        m.bar->focusCurrentGroup();
        QStringList seen{m.focus()};
        for (int i = 0; i < 5; ++i) {
            press(QStringLiteral("Tab"));
            seen << m.focus();
        }
        QCOMPARE(seen, (QStringList{"I1.1", "I1.2", "H2", "H3", "after", "H1"}));
        QStringList back;
        for (int i = 0; i < 3; ++i) {
            press(QStringLiteral("Backtab"));
            back << m.focus();
        }
        QCOMPARE(back, (QStringList{"after", "H3", "H2"}));
    }

    void keys_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("group");
        QTest::addColumn<QString>("clicked"); // "group.item" of each click

        QTest::newRow("down from a header into its open group") << "H1"
                                                                << "Down"
                                                                << "I1.1" << 1 << "";
        QTest::newRow("down past the last item to the next header") << "I1.2"
                                                                    << "Down"
                                                                    << "H2" << 1 << "";
        QTest::newRow("up from an item to its header") << "I1.1"
                                                       << "Up"
                                                       << "H1" << 1 << "";
        QTest::newRow("up stops at the first") << "H1"
                                               << "Up"
                                               << "H1" << 1 << "";
        QTest::newRow("down stops at the last") << "H3"
                                                << "Down"
                                                << "H3" << 1 << "";
        QTest::newRow("home") << "H3"
                              << "Home"
                              << "H1" << 1 << "";
        QTest::newRow("end") << "I1.1"
                             << "End"
                             << "H3" << 1 << "";
        QTest::newRow("moving does not switch the group") << "H1"
                                                          << "End Up"
                                                          << "H2" << 1 << "";
        QTest::newRow("enter on a header opens its group") << "H3"
                                                           << "Enter"
                                                           << "H3" << 3 << "";
        QTest::newRow("space on a header opens its group") << "H3"
                                                           << "Space"
                                                           << "H3" << 3 << "";
        QTest::newRow("the newly open group's items follow its header") << "H3"
                                                                        << "Enter Down"
                                                                        << "I3.1" << 3 << "";
        QTest::newRow("a closed group's items are passed over") << "H3"
                                                                << "Enter Home Down"
                                                                << "H2" << 3 << "";
        QTest::newRow("enter on an open header keeps it open") << "H1"
                                                               << "Enter"
                                                               << "H1" << 1 << "";
        QTest::newRow("enter on an item chooses it") << "I1.2"
                                                     << "Enter"
                                                     << "I1.2" << 1 << "1.2";
        QTest::newRow("space on an item chooses it") << "I1.1"
                                                     << "Space"
                                                     << "I1.1" << 1 << "1.1";
        QTest::newRow("to another group's item and choose it") << "I1.1"
                                                               << "End Enter Down Enter"
                                                               << "I3.1" << 3 << "3.1";
    }
    void keys()
    {
        QFETCH(QString, start);
        QFETCH(QString, keys);
        QFETCH(QString, focus);
        QFETCH(int, group);
        QFETCH(QString, clicked);
        Menu m;
        QSignalSpy spy(m.bar, &ButtonBar::itemClick);
        m.stop(start)->setFocus(Qt::TabFocusReason);
        QCOMPARE(m.focus(), start);
        press(keys);
        QCOMPARE(m.focus(), focus);
        QCOMPARE(m.bar->currentGroup(), group);
        QStringList clicks;
        for (const QList<QVariant> &c : spy)
            clicks << QStringLiteral("%1.%2").arg(c.at(0).toInt()).arg(c.at(1).toInt());
        QCOMPARE(clicks.join(QLatin1Char(' ')), clicked);
        for (int g = 1; g <= 3; ++g) {
            QCOMPARE(m.bar->header(g)->isChecked(), g == group);
            for (int i = 1; i <= m.bar->itemCount(g); ++i)
                QCOMPARE(m.bar->item(g, i)->isVisibleTo(&m.window), g == group);
        }
    }

    void aClickOnAHeaderOpensItsGroup()
    {
        Menu m;
        QTest::mouseClick(m.bar->header(2), Qt::LeftButton);
        QCOMPARE(m.bar->currentGroup(), 2);
        QTest::mouseClick(m.bar->header(2), Qt::LeftButton);
        QCOMPARE(m.bar->currentGroup(), 2);
        QVERIFY(m.bar->header(2)->isChecked());
    }
};

QTEST_MAIN(tst_buttonbar)
#include "tst_buttonbar.moc"
