// Cube files from the cube screen: the save screen's options and password,
// opening a file with its password retries, and the failures of a load.
#include "cube/saveform.h"
#include "support/cubescreen_test.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

using namespace kq::test;
using namespace kq::test::cubescreen;
using kq::cube::fcubovendas;
using kq::cube::SaveForm;
using kq::platform::DCube;
using kq::platform::Icon;
using kq::platform::ScreenRegistry;

namespace {
// The flags byte of our cube files: 1 data, 2 compressed, 4 encrypted.
int fileFlags(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray head = f.read(10);
    return head.size() == 10 ? quint8(head.at(9)) : -1;
}
} // namespace

class tst_cubefiles : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void saveOptions_data();
    void saveOptions();
    void saveNeedsAPath();
    void requiredPasswordMustBeTyped();
    void reopenedFormSavesAgain();
    void saveFailure();
    void saveCancelled();
    void openWithPassword();
    void threeWrongPasswords();
    void cancelAtSecondPrompt();
    void missingFile();
    void openingCancelledChangesNothing();
    void notACubeFile();
    void webAddressIsRefused();
    void noPromptWithoutAttempts();

private:
    SaveForm *openSave();
    QString savedFile(const QString &password);
    CubeFixture *m_fx = nullptr;
    fcubovendas *m_cube = nullptr;
};

void tst_cubefiles::init()
{
    m_fx = new CubeFixture;
    m_cube = m_fx->open();
    SaveForm::setFileName(QString());
}

void tst_cubefiles::cleanup()
{
    delete m_fx;
    m_fx = nullptr;
}

SaveForm *tst_cubefiles::openSave()
{
    ctl<QAction>(m_cube, "Salvar")->trigger();
    return qobject_cast<SaveForm *>(ScreenRegistry::instance().find(QStringLiteral("SaveForm")));
}

// A file saved with layout and data under the password (none when empty).
QString tst_cubefiles::savedFile(const QString &password)
{
    const QString path = m_fx->shell.folders.programFile(QStringLiteral("cubo.cub"));
    SaveForm *s = openSave();
    s->SaveOption[1]->setChecked(true);
    if (!password.isEmpty()) {
        s->optPassword[1]->setChecked(true);
        s->txtPassword->setText(password);
    }
    m_fx->shell.dialogs.files.enqueue(path);
    s->cmdSavePath->click();
    QPointer<SaveForm> guard(s);
    s->OKButton->click();
    if (!QTest::qWaitFor([&] { return guard.isNull(); }))
        qWarning("the save screen stayed open");
    ctl<DCube>(m_cube, "DCube1")->setPassword(QString());
    return path;
}

void tst_cubefiles::saveOptions_data()
{
    QTest::addColumn<bool>("withData");
    QTest::addColumn<bool>("compress");
    QTest::addColumn<bool>("requirePassword");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("fileFlags");
    QTest::addColumn<QString>("cubePassword");
    QTest::newRow("layout only, no compression") << false << false << false << "" << 0 << "";
    QTest::newRow("layout and data compressed") << true << true << false << "" << 3 << "";
    QTest::newRow("text typed, no password asked")
        << false << true << false << "segredo" << 2 << "";
    QTest::newRow("password trimmed") << true << false << true << "  segredo  " << 5 << "segredo";
}

void tst_cubefiles::saveOptions()
{
    QFETCH(bool, withData);
    QFETCH(bool, compress);
    QFETCH(bool, requirePassword);
    QFETCH(QString, typed);
    QFETCH(int, fileFlags);
    QFETCH(QString, cubePassword);

    SaveForm *s = openSave();
    QVERIFY(s);
    QCOMPARE(s->windowTitle(), QStringLiteral("Rotina para Salvar lay-out "));
    QVERIFY(s->SaveOption[0]->isChecked());
    QVERIFY(s->CompressionCheck->isChecked());
    QVERIFY(s->optPassword[0]->isChecked());
    QVERIFY(!s->txtPassword->isEnabled());
    s->SaveOption[withData ? 1 : 0]->setChecked(true);
    s->CompressionCheck->setChecked(compress);
    if (!typed.isEmpty()) {
        s->optPassword[1]->setChecked(true);
        QVERIFY(s->txtPassword->isEnabled());
        s->txtPassword->setText(typed);
        if (!requirePassword)
            s->optPassword[0]->setChecked(true);
        QCOMPARE(s->txtPassword->text(), typed); // the box keeps its text
    }
    const QString path = m_fx->shell.folders.programFile(QStringLiteral("cubo.cub"));
    m_fx->shell.dialogs.files.enqueue(path);
    s->cmdSavePath->click();
    QCOMPARE(s->FilePathTextbox->text(), path);
    QPointer<SaveForm> guard(s);
    s->OKButton->click();
    QTRY_VERIFY(!guard);
    QVERIFY(m_fx->shell.dialogs.messages.isEmpty());
    QCOMPARE(::fileFlags(path), fileFlags);
    // The password stays set on the cube after the save.
    QCOMPARE(ctl<DCube>(m_cube, "DCube1")->password(), cubePassword);
    if (!cubePassword.isEmpty()) {
        ctl<DCube>(m_cube, "DCube1")->setPassword(QString());
        PasswordAnswerer answerer({cubePassword});
        QVERIFY(m_cube->LoadCubeFile(path, 3));
        QCOMPARE(answerer.prompts.size(), 1);
        QVERIFY(answerer.prompts.first().endsWith("1 of 3 chance(s)..."));
    }
}

void tst_cubefiles::saveNeedsAPath()
{
    SaveForm *s = openSave();
    s->OKButton->click();
    QVERIFY(s->isVisible());
    QVERIFY(m_fx->shell.dialogs.messages.isEmpty());
    // A cancelled dialog changes nothing either.
    m_fx->shell.dialogs.files.enqueue(QString());
    s->cmdSavePath->click();
    QCOMPARE(SaveForm::FileName(), QString());
    QVERIFY(m_fx->shell.dialogs.messages.isEmpty());
}

void tst_cubefiles::requiredPasswordMustBeTyped()
{
    const QString path = m_fx->shell.folders.programFile(QStringLiteral("cubo.cub"));
    SaveForm *s = openSave();
    s->optPassword[1]->setChecked(true);
    s->txtPassword->setText(QStringLiteral("   "));
    m_fx->shell.dialogs.files.enqueue(path);
    s->cmdSavePath->click();
    s->OKButton->click();
    QCOMPARE(m_fx->shell.dialogs.lastText(), QStringLiteral("Digite a senha."));
    QVERIFY(s->isVisible());
    QVERIFY(!QFile::exists(path));
}

void tst_cubefiles::reopenedFormSavesAgain()
{
    const QString path = savedFile(QString());
    QVERIFY(QFile::remove(path));
    SaveForm *s = openSave();
    QCOMPARE(s->FilePathTextbox->text(), QString()); // the box starts empty
    QCOMPARE(SaveForm::FileName(), path);
    s->OKButton->click();
    QVERIFY(QFile::exists(path));
    QCOMPARE(fileFlags(path), 2); // the options shown: layout only, compressed
}

void tst_cubefiles::saveFailure()
{
    SaveForm *s = openSave();
    const QString path = m_fx->shell.folders.programFile(QStringLiteral("nao/existe/c.cub"));
    SaveForm::setFileName(path);
    s->OKButton->click();
    QCOMPARE(m_fx->shell.dialogs.messages.size(), 1);
    const auto &m = m_fx->shell.dialogs.messages.first();
    // With the reason.
    QCOMPARE(m.text, QStringLiteral("There was a problem saving your cube file.\r\n"
                                    "Não foi possível gravar %1: o arquivo ou a pasta não existe.")
                         .arg(path));
    QCOMPARE(m.title, QStringLiteral("Save Failed"));
    QCOMPARE(m.icon, Icon::Information);
    QVERIFY(s->isVisible());
}

// Cancel in the progress of saving: no file, no message, the form stays open.
void tst_cubefiles::saveCancelled()
{
    SaveForm *s = openSave();
    const QString path = m_fx->shell.folders.programFile(QStringLiteral("cancelado.cub"));
    SaveForm::setFileName(path);
    m_fx->shell.dialogs.cancelProgressAt = 2; // once the cube is packed
    s->OKButton->click();
    QCOMPARE(m_fx->shell.dialogs.progressLabels, QStringList{"Gravando o arquivo do cubo..."});
    QVERIFY(m_fx->shell.dialogs.messages.isEmpty());
    QVERIFY(s->isVisible());
    QVERIFY(!QFile::exists(path));
    m_fx->shell.dialogs.cancelProgressAt = -1;
    s->OKButton->click();
    QVERIFY(QFile::exists(path));
}

void tst_cubefiles::openWithPassword()
{
    const QString path = savedFile(QStringLiteral("segredo"));
    ctl<DCube>(m_cube, "DCube1")
        ->fields()
        ->item(QStringLiteral("ds_loja"))
        ->setOrientation(kq::platform::OrientRow);
    QVERIFY(ctl<DCube>(m_cube, "DCube1")->rebuild());
    QCOMPARE(ctl<DCube>(m_cube, "DCube1")->rowCount(), 3);
    m_fx->shell.dialogs.files.enqueue(path);
    PasswordAnswerer answerer({QStringLiteral("segredo")});
    ctl<QAction>(m_cube, "Abrir")->trigger();
    QCOMPARE(answerer.prompts,
             QStringList({"Por favor digite a senha correta para abrir esse arquivo.\r\n"
                          "1 of 3 chance(s)..."}));
    QCOMPARE(answerer.titles, QStringList({"Protegido por senha"}));
    QCOMPARE(m_fx->shell.dialogs.messages.size(), 1);
    QCOMPARE(m_fx->shell.dialogs.lastText(), QStringLiteral("Arquivo carregado com sucesso!"));
    QCOMPARE(m_fx->shell.dialogs.messages.first().title, QStringLiteral("Congratulaçõe"));
    QCOMPARE(m_cube->cubeFilePath(), path);
    QVERIFY(ctl<DCube>(m_cube, "DCube1")->isVisible());
    // The file's layout is back: no row field.
    QCOMPARE(ctl<DCube>(m_cube, "DCube1")->rowCount(), 1);
}

void tst_cubefiles::threeWrongPasswords()
{
    const QString path = savedFile(QStringLiteral("segredo"));
    m_fx->shell.dialogs.files.enqueue(path);
    PasswordAnswerer answerer(
        {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("segredo")});
    ctl<QAction>(m_cube, "Abrir")->trigger();
    QCOMPARE(answerer.prompts.size(), 3);
    for (int i = 0; i < 3; ++i)
        QVERIFY(answerer.prompts.at(i).endsWith(QStringLiteral("%1 of 3 chance(s)...").arg(i + 1)));
    QCOMPARE(m_fx->shell.dialogs.texts(),
             QStringList({"houve algum problema ao carregar arquivo do cubo."}));
    QCOMPARE(m_fx->shell.dialogs.messages.first().title, QStringLiteral("E R R O"));
    QVERIFY(!ctl<DCube>(m_cube, "DCube1")->isVisible());
    QCOMPARE(m_cube->cubeFilePath(), QString());
}

void tst_cubefiles::cancelAtSecondPrompt()
{
    const QString path = savedFile(QStringLiteral("segredo"));
    m_fx->shell.dialogs.files.enqueue(path);
    PasswordAnswerer answerer({QStringLiteral("errada"), std::nullopt});
    ctl<QAction>(m_cube, "Abrir")->trigger();
    QCOMPARE(answerer.prompts.size(), 2);
    QCOMPARE(m_fx->shell.dialogs.texts(),
             QStringList({"houve algum problema ao carregar arquivo do cubo."}));
    // Each prompt was a new window, and none is left.
    QVERIFY(!ScreenRegistry::instance().find(QStringLiteral("PasswordForm")));
}

void tst_cubefiles::missingFile()
{
    m_fx->shell.dialogs.files.enqueue(m_fx->shell.folders.programFile(QStringLiteral("x.cub")));
    ctl<QAction>(m_cube, "Abrir")->trigger();
    QCOMPARE(
        m_fx->shell.dialogs.texts(),
        QStringList({"Arquivo nao existe", "houve algum problema ao carregar arquivo do cubo."}));
    QCOMPARE(m_fx->shell.dialogs.messages.first().title, QStringLiteral("Try Again"));
    QVERIFY(!ctl<DCube>(m_cube, "DCube1")->isVisible());
    // A cancelled open dialog does nothing.
    m_fx->shell.dialogs.clear();
    m_fx->shell.dialogs.files.enqueue(QString());
    ctl<QAction>(m_cube, "Abrir")->trigger();
    QVERIFY(m_fx->shell.dialogs.messages.isEmpty());
}

// Cancel in the progress of opening: no message, the cube stays shown as it
// was and the file is not taken as the screen's.
void tst_cubefiles::openingCancelledChangesNothing()
{
    const QString path = savedFile(QString());
    ctl<DCube>(m_cube, "DCube1")
        ->fields()
        ->item(QStringLiteral("ds_loja"))
        ->setOrientation(kq::platform::OrientRow);
    QVERIFY(ctl<DCube>(m_cube, "DCube1")->rebuild());
    const QString before = m_cube->cubeFilePath();
    m_fx->shell.dialogs.files.enqueue(path);
    m_fx->shell.dialogs.progressLabels.clear();
    m_fx->shell.dialogs.cancelProgressAt = 2; // once the file is opened
    ctl<QAction>(m_cube, "Abrir")->trigger();
    QCOMPARE(m_fx->shell.dialogs.progressLabels, QStringList{"Abrindo o arquivo do cubo..."});
    QVERIFY(m_fx->shell.dialogs.messages.isEmpty());
    QVERIFY(ctl<DCube>(m_cube, "DCube1")->isVisible());
    QCOMPARE(ctl<DCube>(m_cube, "DCube1")->rowCount(), 3);
    QCOMPARE(m_cube->cubeFilePath(), before);
}

void tst_cubefiles::notACubeFile()
{
    const QString path = m_fx->shell.folders.programFile(QStringLiteral("texto.cub"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("not a cube");
    f.close();
    QVERIFY(!m_cube->LoadCubeFile(path, 3));
    QCOMPARE(m_fx->shell.dialogs.messages.size(), 1);
    const auto &m = m_fx->shell.dialogs.messages.first();
    QVERIFY2(m.text.startsWith("Erro inesperado \r\n1030\r\n"), qPrintable(m.text));
    QCOMPARE(m.title, QStringLiteral("EXITING PROGRAM!"));
    QCOMPARE(m.icon, Icon::Critical);
    // The cube is left as it was.
    QCOMPARE(ctl<DCube>(m_cube, "DCube1")->cellValue(0, 0).toDouble(), 1000.0);
}

void tst_cubefiles::webAddressIsRefused()
{
    // Nothing is fetched from the web: the load reports its failure.
    QVERIFY(!m_cube->LoadCubeFile(QStringLiteral("HTTP://example.org/cubo.cub"), 3));
    QCOMPARE(m_fx->shell.dialogs.messages.size(), 1);
    QVERIFY(m_fx->shell.dialogs.lastText().startsWith("Erro inesperado \r\n1035"));
    QVERIFY(!m_cube->LoadCubeFile(QString(), 3));
    QCOMPARE(m_fx->shell.dialogs.messages.size(), 1);
}

void tst_cubefiles::noPromptWithoutAttempts()
{
    const QString path = savedFile(QStringLiteral("segredo"));
    PasswordAnswerer answerer({QStringLiteral("segredo")});
    QVERIFY(!m_cube->LoadCubeFile(path));
    QVERIFY(answerer.prompts.isEmpty());
    QVERIFY(m_fx->shell.dialogs.messages.isEmpty());
}

QTEST_MAIN(tst_cubefiles)
#include "tst_cubefiles.moc"
