// Enter and Tab on a screen, whatever control has the focus.
#include "platform/screen.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

using kq::platform::Screen;

namespace {

// A box, a button, a several-line box, a list and a closing button, in
// that tab order.
class Form : public Screen
{
public:
    Form()
        : Screen(QStringLiteral("fkeys"))
    {
        auto *l = new QVBoxLayout(this);
        nome = new QLineEdit(this);
        incluir = new QPushButton(QStringLiteral("&Incluir"), this);
        historico = new QPlainTextEdit(this);
        lista = new QListWidget(this);
        lista->addItems({QStringLiteral("um"), QStringLiteral("dois")});
        sair = new QPushButton(QStringLiteral("&Sair"), this);
        for (QWidget *w : {static_cast<QWidget *>(nome), static_cast<QWidget *>(incluir),
                           static_cast<QWidget *>(historico), static_cast<QWidget *>(lista),
                           static_cast<QWidget *>(sair)})
            l->addWidget(w);
        connect(incluir, &QPushButton::clicked, this, [this] { ++included; });
        connect(sair, &QPushButton::clicked, this, &QWidget::close);
    }
    QWidget *byName(const QString &n) const
    {
        const QHash<QString, QWidget *> all{{"nome", nome},
                                            {"incluir", incluir},
                                            {"historico", historico},
                                            {"lista", lista},
                                            {"sair", sair}};
        return all.value(n);
    }
    QString focusName() const
    {
        for (const QString n : {"nome", "incluir", "historico", "lista", "sair"})
            if (byName(n) == QApplication::focusWidget())
                return n;
        return QStringLiteral("other");
    }

    QLineEdit *nome;
    QPushButton *incluir;
    QPlainTextEdit *historico;
    QListWidget *lista;
    QPushButton *sair;
    int included = 0;
};

// A new form, shown and active; null when it never became active.
Form *shown(bool enterAsTab)
{
    auto *f = new Form;
    f->setEnterAsTab(enterAsTab);
    f->show();
    f->activateWindow();
    if (QTest::qWaitForWindowActive(f))
        return f;
    delete f;
    return nullptr;
}

} // namespace

class tst_screenkeys : public QObject
{
    Q_OBJECT
private slots:
    void keys_data()
    {
        QTest::addColumn<bool>("enterAsTab");
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("included");
        QTest::addColumn<QString>("history"); // the several-line box's text after the key

        const int enter = Qt::Key_Return;
        const int none = Qt::NoModifier;
        QTest::newRow("enter in a box") << true << "nome" << enter << none << "incluir" << 0 << "";
        QTest::newRow("keypad enter in a box") << true << "nome" << int(Qt::Key_Enter)
                                               << int(Qt::KeypadModifier) << "incluir" << 0 << "";
        QTest::newRow("enter on a button moves on without pressing it")
            << true << "incluir" << enter << none << "historico" << 0 << "";
        QTest::newRow("enter in a several-line box moves on")
            << true << "historico" << enter << none << "lista" << 0 << "";
        QTest::newRow("enter in a list") << true << "lista" << enter << none << "sair" << 0 << "";
        QTest::newRow("enter on the closing button keeps the screen")
            << true << "sair" << enter << none << "nome" << 0 << "";
        QTest::newRow("space presses a button")
            << true << "incluir" << int(Qt::Key_Space) << none << "incluir" << 1 << "";
        QTest::newRow("the mnemonic presses a button")
            << true << "nome" << int(Qt::Key_I) << int(Qt::AltModifier) << "nome" << 1 << "";
        QTest::newRow("enter types a line where the screen leaves it")
            << false << "historico" << enter << none << "historico" << 0 << "\n";
        QTest::newRow("tab leaves a several-line box")
            << false << "historico" << int(Qt::Key_Tab) << none << "lista" << 0 << "";
        QTest::newRow("shift+tab goes back from a several-line box")
            << false << "historico" << int(Qt::Key_Backtab) << int(Qt::ShiftModifier) << "incluir"
            << 0 << "";
        QTest::newRow("tab leaves it on an enter-as-tab screen too")
            << true << "historico" << int(Qt::Key_Tab) << none << "lista" << 0 << "";
    }
    void keys()
    {
        QFETCH(bool, enterAsTab);
        QFETCH(QString, start);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, focus);
        QFETCH(int, included);
        QFETCH(QString, history);
        QPointer<Form> f = shown(enterAsTab);
        QVERIFY(f);
        f->byName(start)->setFocus(Qt::TabFocusReason);
        QCOMPARE(f->focusName(), start);
        QTest::keyClick(f->byName(start), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QVERIFY2(f && f->isVisible(), "the screen closed");
        QCOMPARE(f->focusName(), focus);
        QTRY_COMPARE(f->included, included); // a mnemonic presses after a moment
        QCOMPARE(f->historico->toPlainText(), history);
        delete f;
    }

    // A small dialog's keys: Enter presses the default button, Esc the
    // cancel button, ahead of Enter-as-Tab.
    void dialogKeys_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("focusedFirst");
        QTest::addColumn<QString>("pressed");

        const int enter = Qt::Key_Return;
        const int none = Qt::NoModifier;
        QTest::newRow("enter in a box") << "nome" << enter << none << false << "incluir";
        QTest::newRow("keypad enter in a box")
            << "nome" << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << false << "incluir";
        QTest::newRow("enter in a several-line box")
            << "historico" << enter << none << false << "incluir";
        QTest::newRow("enter on the other button") << "sair" << enter << none << false << "incluir";
        QTest::newRow("esc in a box") << "nome" << int(Qt::Key_Escape) << none << false << "sair";
        QTest::newRow("esc on the default button")
            << "incluir" << int(Qt::Key_Escape) << none << false << "sair";
        QTest::newRow("focused button first") << "sair" << enter << none << true << "sair";
        QTest::newRow("focused first, from a box") << "nome" << enter << none << true << "incluir";
    }
    void dialogKeys()
    {
        QFETCH(QString, start);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, focusedFirst);
        QFETCH(QString, pressed);
        QPointer<Form> f = shown(true);
        QVERIFY(f);
        f->setDialogKeys(f->incluir, f->sair, focusedFirst);
        QStringList clicks;
        QObject::connect(f->incluir, &QPushButton::clicked, f, [&] { clicks << "incluir"; });
        QObject::connect(f->sair, &QPushButton::clicked, f, [&] { clicks << "sair"; });
        f->byName(start)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(f->byName(start), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(clicks, QStringList{pressed});
        if (f)
            QCOMPARE(f->historico->toPlainText(), QString());
        delete f;
    }

    // A typist who keeps pressing Enter goes round the screen and never
    // presses a button.
    void enterRoundTheScreen()
    {
        QPointer<Form> f = shown(true);
        QVERIFY(f);
        f->nome->setFocus(Qt::TabFocusReason);
        QStringList seen;
        for (int i = 0; i < 10; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            seen << f->focusName();
        }
        QVERIFY(f && f->isVisible());
        QCOMPARE(f->included, 0);
        QCOMPARE(seen.mid(0, 5), (QStringList{"incluir", "historico", "lista", "sair", "nome"}));
        delete f;
    }
};

QTEST_MAIN(tst_screenkeys)
#include "tst_screenkeys.moc"
