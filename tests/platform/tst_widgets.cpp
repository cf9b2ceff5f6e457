#include "platform/buttonbar.h"
#include "platform/dialogs.h"
#include "platform/maskedbox.h"
#include "platform/screen.h"
#include "platform/screenregistry.h"
#include "support/base_dialogs.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

using namespace kq::platform;

namespace {
int g_created = 0;

class Probe : public Screen
{
public:
    Probe()
        : Screen(QStringLiteral("fprobe"))
    {
        ++g_created;
        auto *l = new QVBoxLayout(this);
        first = new QLineEdit(this);
        first->setObjectName("first");
        second = new QLineEdit(this);
        second->setObjectName("second");
        l->addWidget(first);
        l->addWidget(second);
    }
    QLineEdit *first;
    QLineEdit *second;
};
} // namespace

class tst_widgets : public QObject
{
    Q_OBJECT
private slots:
    void registryKeepsOneInstance()
    {
        auto &r = ScreenRegistry::instance();
        r.registerScreen("fprobe", [] { return new Probe; });
        g_created = 0;
        QWidget *a = r.show("fprobe");
        QWidget *b = r.show("FPROBE");
        QCOMPARE(a, b);
        QCOMPARE(g_created, 1);
        QVERIFY(a->isVisible());
        QCOMPARE(r.find("fprobe"), a);
        // Closing unloads; the next show makes it anew.
        a->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(r.find("fprobe"), nullptr);
        r.show("fprobe");
        QCOMPARE(g_created, 2);
        r.unload("fprobe");
        QCOMPARE(r.find("fprobe"), nullptr);
        QCOMPARE(r.show("nothing-here"), nullptr);
    }

    void openScreenShownModally()
    {
        auto &r = ScreenRegistry::instance();
        r.registerScreen("fprobe", [] { return new Probe; });
        QWidget *w = r.show("fprobe");
        bool wasModal = false;
        QTimer::singleShot(0, w, [w, &wasModal] {
            wasModal = w->isModal();
            static_cast<Screen *>(w)->setModalResult(7);
            w->close();
        });
        QCOMPARE(r.showModal("fprobe"), 7);
        QVERIFY(wasModal);
    }

    void escAndEnterPreview()
    {
        auto &r = ScreenRegistry::instance();
        r.registerScreen("fprobe", [] { return new Probe; });
        auto *p = static_cast<Probe *>(r.show("fprobe"));
        QVERIFY(QTest::qWaitForWindowExposed(p));
        p->activateWindow();
        p->first->setFocus();
        QTest::keyClick(p->first, Qt::Key_Return);
        QVERIFY(p->first->hasFocus()); // Enter means nothing by default
        p->setEnterAsTab(true);
        QTest::keyClick(p->first, Qt::Key_Return);
        QVERIFY(p->second->hasFocus());
        QTest::keyClick(p->second, Qt::Key_Escape);
        QVERIFY(r.find("fprobe")); // Esc closes only where asked
        p->setEscCloses(true);
        QTest::keyClick(p->second, Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(r.find("fprobe"), nullptr);
    }

    void buttonBarReportsGroupAndItem()
    {
        ButtonBar bar;
        QCOMPARE(bar.addGroup("Cadastros"), 1);
        QCOMPARE(bar.addGroup("Lançamentos"), 2);
        bar.addItem(2, "K12", "Cheques");
        bar.addItem(2, "K42", "Vantesca");
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, bar.addItem(7, "K17", "x"));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, bar.addItem(1, "K12", "x"));
        QSignalSpy spy(&bar, &ButtonBar::itemClick);
        bar.item(2, 2)->click();
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 2);
        QCOMPARE(spy.at(0).at(1).toInt(), 2);
        QCOMPARE(bar.itemByKey("K42"), bar.item(2, 2));
    }

    void maskedBoxKeepsPrompts()
    {
        MaskEdBox box;
        box.setMask("##/##/####");
        QCOMPARE(box.text(), QString("__/__/____"));
        box.setText("31012025");
        QCOMPARE(box.text(), QString("31/01/2025"));
        QCOMPARE(box.clipText(), QString("31012025"));
        box.setMask("####/##");
        box.setText("2025/03");
        QCOMPARE(box.text(), QString("2025/03"));
    }

    void dialogsGoThroughTheBackend()
    {
        kq::test::ScriptedDialogs dialogs;
        dialogs.answers.enqueue(Answer::No);
        QVERIFY(!Dialogs::confirmDelete("Deseja Realmente excluir esse registro? :X"));
        QCOMPARE(dialogs.messages.last().title, QString("EXCLUSÃO"));
        QCOMPARE(dialogs.messages.last().icon, Icon::Question);
        QVERIFY(Dialogs::confirmDelete("again")); // default answer is Yes
        Dialogs::message("Oi");
        QCOMPARE(dialogs.lastText(), QString("Oi"));
        QCOMPARE(dialogs.messages.last().title, QString("kq-730"));
    }

    void oldFilters()
    {
        QCOMPARE(Dialogs::qtFilter("Lay Out (*.lyt)|*.lyt|"), QString("Lay Out (*.lyt)"));
        QCOMPARE(Dialogs::qtFilter("Cubo|*.cub|Todos|*.*"), QString("Cubo (*.cub);;Todos (*.*)"));
    }
};

QTEST_MAIN(tst_widgets)
#include "tst_widgets.moc"
