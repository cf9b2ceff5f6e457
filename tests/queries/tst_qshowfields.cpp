// The field chooser: lists built from the grid, the move buttons and their
// enabled state, and what "OK", "Cancela" and closing do to the grid.
#include "platform/grid/gridex.h"
#include "queries/frmshowfields.h"
#include "support/base_screens.h"

#include <QListWidget>
#include <QPushButton>
#include <QtTest>
#include <functional>

using kq::platform::GridEX;
using kq::queries::frmShowfields;

namespace {

struct Buttons
{
    bool add, remove, up, down;
    bool operator==(const Buttons &o) const
    {
        return add == o.add && remove == o.remove && up == o.up && down == o.down;
    }
};

Buttons buttons(frmShowfields *f)
{
    return {f->cmdAdd->isEnabled(), f->cmdRemove->isEnabled(), f->cmdUp->isEnabled(),
            f->cmdDown->isEnabled()};
}

using kq::test::shot;

QStringList texts(QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// Captions of the shown columns in display order.
QStringList shown(GridEX &grid)
{
    QStringList out;
    for (int p = 1; p <= grid.columnCount(); ++p) {
        if (grid.columnAtPosition(p).isVisible())
            out << grid.columnAtPosition(p).caption();
    }
    return out;
}

} // namespace

class tst_qshowfields : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void allVisible();
    void allHidden();
    void everyColumnHidden();
    void orderOnOk();
    void cancelLeavesGrid_data();
    void cancelLeavesGrid();
    void doubleClickMoves();
    void addingTheLastItemSelectsTheOneAbove();

private:
    bool run(const std::function<void(frmShowfields *)> &actions);

    GridEX *m_grid = nullptr;
};

void tst_qshowfields::init()
{
    m_grid = new GridEX;
    for (const char *c : {"A", "B", "C", "D"})
        m_grid->addColumn(QString("f") + c, c);
}

void tst_qshowfields::cleanup()
{
    delete m_grid;
}

bool tst_qshowfields::run(const std::function<void(frmShowfields *)> &actions)
{
    auto *f = new frmShowfields;
    QPointer<frmShowfields> guard(f);
    QTimer::singleShot(0, f, [f, actions] {
        actions(f);
        if (f->isVisible())
            f->cmdCancel->click(); // a failed check must not leave the loop waiting
    });
    const bool ok = f->ShowFields(*m_grid);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (guard)
        qWarning("the chooser was not unloaded");
    return ok;
}

void tst_qshowfields::allVisible()
{
    Buttons state{};
    QStringList avail, visible;
    int current = -2;
    QVERIFY(!run([&](frmShowfields *f) {
        state = buttons(f);
        avail = texts(f->lstAvail);
        visible = texts(f->lstVisible);
        current = f->lstVisible->currentRow();
        f->cmdCancel->click();
    }));
    QVERIFY(avail.isEmpty());
    QCOMPARE(visible, (QStringList{"A", "B", "C", "D"}));
    QCOMPARE(current, 0);
    QCOMPARE(state, (Buttons{false, true, false, true}));
}

void tst_qshowfields::allHidden()
{
    for (int i = 1; i <= 4; ++i)
        m_grid->column(i).setVisible(false);
    Buttons state{};
    QStringList before, after;
    run([&](frmShowfields *f) {
        state = buttons(f);
        before = texts(f->lstAvail);
        f->cmdRemove->click();
        f->cmdUp->click();
        f->cmdDown->click();
        after = texts(f->lstAvail);
        QVERIFY(f->lstVisible->count() == 0);
        f->cmdCancel->click();
    });
    QCOMPARE(state, (Buttons{true, true, true, true}));
    QCOMPARE(before, (QStringList{"A", "B", "C", "D"}));
    QCOMPARE(after, before);
}

void tst_qshowfields::everyColumnHidden()
{
    QVERIFY(run([&](frmShowfields *f) {
        for (int i = 0; i < 4; ++i)
            f->cmdRemove->click();
        QCOMPARE(f->lstVisible->count(), 0);
        f->cmdOK->click();
    }));
    QVERIFY(shown(*m_grid).isEmpty());
}

void tst_qshowfields::orderOnOk()
{
    m_grid->column(2).setVisible(false); // B hidden at position 2
    QStringList visible;
    Buttons atTop{};
    QVERIFY(run([&](frmShowfields *f) {
        shot(f, "frmShowfields");
        f->lstVisible->setCurrentRow(2); // D
        f->cmdUp->click();
        f->cmdUp->click();
        atTop = buttons(f);
        visible = texts(f->lstVisible);
        f->cmdOK->click();
    }));
    QCOMPARE(visible, (QStringList{"D", "A", "C"}));
    QCOMPARE(atTop, (Buttons{true, true, false, true}));
    QCOMPARE(shown(*m_grid), (QStringList{"D", "A", "C"}));
    QCOMPARE(m_grid->column(4).position(), 1);
    QCOMPARE(m_grid->column(1).position(), 2);
    QCOMPARE(m_grid->column(3).position(), 3);
    QVERIFY(!m_grid->column(2).isVisible());
}

void tst_qshowfields::cancelLeavesGrid_data()
{
    QTest::addColumn<bool>("closeWindow");
    QTest::newRow("Cancela") << false;
    QTest::newRow("window closed") << true;
}

void tst_qshowfields::cancelLeavesGrid()
{
    QFETCH(bool, closeWindow);
    m_grid->column(3).setVisible(false);
    QVERIFY(!run([&](frmShowfields *f) {
        f->cmdRemove->click();
        f->lstAvail->setCurrentRow(0);
        f->cmdAdd->click();
        f->cmdUp->click();
        if (closeWindow)
            f->close();
        else
            f->cmdCancel->click();
    }));
    QCOMPARE(shown(*m_grid), (QStringList{"A", "B", "D"}));
    QCOMPARE(m_grid->column(3).position(), 3);
}

void tst_qshowfields::doubleClickMoves()
{
    QStringList avail, visible;
    QVERIFY(run([&](frmShowfields *f) {
        // A double click first makes the item current.
        f->lstVisible->setCurrentRow(1);
        emit f->lstVisible->itemDoubleClicked(f->lstVisible->item(1));
        avail = texts(f->lstAvail);
        f->lstAvail->setCurrentRow(0);
        emit f->lstAvail->itemDoubleClicked(f->lstAvail->item(0));
        visible = texts(f->lstVisible);
        f->cmdOK->click();
    }));
    QCOMPARE(avail, (QStringList{"B"}));
    QCOMPARE(visible, (QStringList{"A", "C", "D", "B"}));
}

void tst_qshowfields::addingTheLastItemSelectsTheOneAbove()
{
    m_grid->column(1).setVisible(false);
    m_grid->column(2).setVisible(false);
    int availCurrent = -2;
    QString visibleCurrent;
    run([&](frmShowfields *f) {
        f->lstAvail->setCurrentRow(1); // B, the last one
        f->cmdAdd->click();
        availCurrent = f->lstAvail->currentRow();
        visibleCurrent
            = f->lstVisible->currentItem() ? f->lstVisible->currentItem()->text() : QString();
        f->cmdCancel->click();
    });
    QCOMPARE(availCurrent, 0);
    QCOMPARE(visibleCurrent, QString("B"));
}

QTEST_MAIN(tst_qshowfields)
#include "tst_qshowfields.moc"
