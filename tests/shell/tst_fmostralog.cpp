#include "platform/screenregistry.h"
#include "shell/fmostralog.h"
#include "shell/services/procedures.h"
#include "support/base_screens.h"
#include "support/shell_fixture.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using kq::platform::Answer;
using kq::platform::ScreenRegistry;
using kq::shell::fmostralog;

namespace {

const QString kAsk = QStringLiteral("Tem certesa que quer realmente excluir esse arquivo? :");

void write(const kq::test::ShellFixture &f, const QString &name, const QByteArray &bytes)
{
    QFile file(f.folders.programFile(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QStringList listed(QListWidget *list)
{
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names << list->item(i)->text();
    return names;
}

fmostralog *open()
{
    return qobject_cast<fmostralog *>(ScreenRegistry::instance().show("fmostralog"));
}

void choose(fmostralog *s, const QString &name)
{
    const auto items = s->diretorio->findItems(name, Qt::MatchExactly);
    QCOMPARE(items.size(), 1);
    s->diretorio->setCurrentItem(items.first());
}

QString today()
{
    return kq::shell::activityLogFileName(QStringLiteral("001"), QDate::currentDate());
}

const QByteArray kEntry = "Data: 01/02/2024 Hora: 09:15.00-SUPERVISOR-ENTROU NO MÓDULO DE "
                          "CONFIGURAÇÃO-**\r\n"
                          + QByteArray(113, '-') + "\r\n";

} // namespace

class tst_fmostralog : public QObject
{
    Q_OBJECT

private slots:
    void delimitedItems_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("plain lines") << "a b\r\nc\r\n" << QStringList{"a b", "c"};
        QTest::newRow("comma splits") << "Data: x-INCLUIU-SILVA, JOSE\r\n"
                                      << QStringList{"Data: x-INCLUIU-SILVA", "JOSE"};
        QTest::newRow("leading blanks") << "   a,   b\n" << QStringList{"a", "b"};
        QTest::newRow("quoted") << "\"a, b\" tail,c\n" << QStringList{"a, b", "c"};
        QTest::newRow("no line end") << "last" << QStringList{"last"};
        QTest::newRow("empty file") << "" << QStringList{};
        QTest::newRow("empty line") << "a\r\n\r\nb\r\n" << QStringList{"a", "", "b"};
    }

    void delimitedItems()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, items);
        QCOMPARE(kq::shell::delimitedItems(text), items);
    }

    void listsOnlyTheUsersOwnFiles()
    {
        kq::test::ShellFixture f;
        for (const char *name :
             {"VAN001010224.log", "VAN001020224.log", "VAN002010224.log", "VAN0010102245.log",
              "VAN001010224.txt", "kq-730.log", "tst_fmostralog.log", "VAN01010224.log"})
            write(f, QString::fromLatin1(name), kEntry);
        fmostralog *s = open();
        QCOMPARE(s->windowTitle(), QStringLiteral("Log de Operação"));
        QCOMPARE(listed(s->diretorio), (QStringList{"VAN001010224.log", "VAN001020224.log"}));
        QVERIFY(kq::shell::isUserLogFile("VAN010224.log", QString()));
        QVERIFY(!kq::shell::isUserLogFile("VAN001010224.log", QString()));
    }

    void readsAndAppends()
    {
        kq::test::ShellFixture f;
        write(f, "VAN001010224.log", kEntry);
        write(f, "VAN001020224.log",
              "Data: 02/02/2024 Hora: 10:00.00-SUPERVISOR-EXCLUIU-"
              "SILVA, JOSE\r\n");
        fmostralog *s = open();
        choose(s, "VAN001010224.log");
        s->Command1->click();
        s->Command1->click();
        const QString entry = QString::fromUtf8(kEntry).replace("\r\n", "\n");
        QCOMPARE(s->historico->toPlainText(), entry + entry);
        choose(s, "VAN001020224.log");
        s->Command1->click();
        QVERIFY(s->historico->toPlainText().endsWith("-SUPERVISOR-EXCLUIU-SILVA\nJOSE\n"));
        s->resize(720, 460);
        kq::test::shot(s, QStringLiteral("fmostralog"));
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    void guardsEveryMissingFile()
    {
        kq::test::ShellFixture f;
        write(f, "VAN001010224.log", QByteArray());
        write(f, "VAN001020224.log", kEntry);
        fmostralog *s = open();

        // Nothing chosen: both buttons only ask for a file.
        s->Command1->click();
        s->Command2->click();
        QCOMPARE(f.dialogs.messages.size(), 2);
        QVERIFY(!f.dialogs.texts().contains(kAsk));

        // An empty file adds nothing.
        choose(s, "VAN001010224.log");
        s->Command1->click();
        QCOMPARE(s->historico->toPlainText(), QString());
        QCOMPARE(f.dialogs.messages.size(), 2);

        // A file deleted meanwhile is reported.
        choose(s, "VAN001020224.log");
        QFile::remove(f.folders.programFile("VAN001020224.log"));
        s->Command1->click();
        QCOMPARE(f.dialogs.messages.size(), 3);
        QVERIFY(f.dialogs.lastText().contains("VAN001020224.log"));
        QCOMPARE(s->historico->toPlainText(), QString());
    }

    void deletesAfterYes()
    {
        kq::test::ShellFixture f;
        write(f, today(), kEntry + kEntry);
        write(f, "VAN001010224.log", kEntry);
        fmostralog *s = open();

        choose(s, today());
        f.dialogs.answers.enqueue(Answer::Yes);
        s->Command2->click();
        QCOMPARE(f.dialogs.messages.first().text, kAsk);
        QCOMPARE(f.dialogs.messages.first().title, QStringLiteral("EXCLUSÃO"));
        QCOMPARE(f.dialogs.messages.first().buttons, kq::platform::Buttons::YesNo);
        QCOMPARE(f.dialogs.messages.first().icon, kq::platform::Icon::Question);
        QCOMPARE(f.dialogs.lastText(), QStringLiteral("ARQUIVO ZERADO"));
        // The deletion's own entry starts a new file of the same name.
        const QStringList lines
            = f.folders.readProgramFile(today()).split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines.first().endsWith("-SUPERVISOR-ZEROU ARQUIVO DE LOG!!!!!-SUPERVISOR"));
        // The list keeps showing the file until the screen is opened again.
        QVERIFY(listed(s->diretorio).contains(today()));

        // A failed deletion says so and logs no deletion.
        choose(s, "VAN001010224.log");
        QFile::remove(f.folders.programFile("VAN001010224.log"));
        f.dialogs.clear();
        f.dialogs.answers.enqueue(Answer::Yes);
        s->Command2->click();
        QCOMPARE(f.dialogs.messages.size(), 2);
        QVERIFY(f.dialogs.lastText().startsWith("Não foi possível excluir"));
        QCOMPARE(f.folders.readProgramFile(today()).count("ZEROU"), 1);
    }

    void keepsTheFileAfterNo()
    {
        kq::test::ShellFixture f;
        write(f, "VAN001010224.log", kEntry);
        fmostralog *s = open();
        choose(s, "VAN001010224.log");
        f.dialogs.answers.enqueue(Answer::No);
        s->Command2->click();
        QCOMPARE(f.dialogs.texts(), QStringList{kAsk});
        QCOMPARE(f.folders.readProgramFile("VAN001010224.log"), QString::fromUtf8(kEntry));
        QVERIFY(f.folders.readProgramFile(today()).contains(
            "-SUPERVISOR-DESISTIU DE ZERAR O ARQUIVO DE LOG!!!!!-SUPERVISOR\r\n"));
    }
};

QTEST_MAIN(tst_fmostralog)
#include "tst_fmostralog.moc"
