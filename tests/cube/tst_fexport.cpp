// The cube export screen: the files in the program folder, the formats, the
// opening of the file, its data-field list, and a file that cannot be written.
#include "cube/fexport.h"
#include "support/cubescreen_test.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QRadioButton>
#include <QUrl>
#include <QtTest>

using namespace kq::test;
using namespace kq::test::cubescreen;
using kq::cube::fcubovendas;
using kq::cube::fexport;
using kq::platform::DCube;
using kq::platform::ScreenRegistry;

class tst_fexport : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opening();
    void htmlReplacedEachTime();
    void excelWithoutShowing();
    void dataFieldList();
    void fileCannotBeWritten();
    void cancelledExport();
    void openerFails();

private:
    fexport *openExport();
    void exportAndWait(fexport *e);
    QString read(const QString &name) const;

    CubeFixture *m_fx = nullptr;
    fcubovendas *m_cube = nullptr;
    QList<QUrl> m_opened;
    bool m_openResult = true;
};

void tst_fexport::init()
{
    m_fx = new CubeFixture;
    m_cube = m_fx->open();
    m_opened.clear();
    m_openResult = true;
    kq::cube::setFileOpener([this](const QUrl &url) {
        m_opened << url;
        return m_openResult;
    });
}

void tst_fexport::cleanup()
{
    delete m_fx;
    m_fx = nullptr;
}

fexport *tst_fexport::openExport()
{
    ctl<QAction>(m_cube, "Exportar")->trigger();
    return qobject_cast<fexport *>(ScreenRegistry::instance().find(QStringLiteral("fexport")));
}

void tst_fexport::exportAndWait(fexport *e)
{
    QPointer<fexport> guard(e);
    e->cmdExport->click();
    QTRY_VERIFY(guard.isNull());
}

QString tst_fexport::read(const QString &name) const
{
    QFile f(m_fx->shell.folders.programFile(name));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

void tst_fexport::opening()
{
    fexport *e = openExport();
    QVERIFY(e);
    QCOMPARE(e->windowTitle(), QStringLiteral("Exportar Dados"));
    QVERIFY(e->robHTML->isChecked());
    for (QCheckBox *box : {e->ckbIncludeTotals, e->ckbExportFormattedNumbers,
                           e->ckbIncludeAttribColors, e->ckbMergeRowsAndColumns, e->ShowFileCheck})
        QVERIFY(box->isChecked());
    QCOMPARE(e->lstVisDataField->count(), 2);
    QCOMPARE(e->lstVisDataField->item(1)->text(), QStringLiteral("Atualizado"));
}

void tst_fexport::htmlReplacedEachTime()
{
    exportAndWait(openExport());
    const QString file = m_fx->shell.folders.programFile(QStringLiteral("HtmlExport.htm"));
    QCOMPARE(m_opened, QList<QUrl>({QUrl::fromLocalFile(file)}));
    const QString first = read(QStringLiteral("HtmlExport.htm"));
    QVERIFY(first.contains(QStringLiteral("1000,00")));
    QVERIFY(first.contains(QStringLiteral("Atualizado")));

    // The second export replaces the first file.
    ctl<DCube>(m_cube, "DCube1")
        ->fields()
        ->item(QStringLiteral("ds_loja"))
        ->setOrientation(kq::platform::OrientRow);
    QVERIFY(ctl<DCube>(m_cube, "DCube1")->rebuild());
    fexport *e = openExport();
    e->ckbExportFormattedNumbers->setChecked(false);
    exportAndWait(e);
    const QString second = read(QStringLiteral("HtmlExport.htm"));
    QVERIFY(second != first);
    QVERIFY(second.contains(QStringLiteral("LOJA NORTE")));
    QVERIFY(!second.contains(QStringLiteral("1000,00")));
    QCOMPARE(m_opened.size(), 2);
}

void tst_fexport::excelWithoutShowing()
{
    fexport *e = openExport();
    e->robExcel->setChecked(true);
    e->ShowFileCheck->setChecked(false);
    exportAndWait(e);
    QVERIFY(m_opened.isEmpty());
    const QString xml = read(QStringLiteral("ExcelExport.xls"));
    QVERIFY(xml.contains(QStringLiteral("urn:schemas-microsoft-com:office:spreadsheet")));
    QVERIFY(!QFile::exists(m_fx->shell.folders.programFile(QStringLiteral("HtmlExport.htm"))));
}

void tst_fexport::dataFieldList()
{
    // A data field hidden on the cube screen is listed checked here, and
    // stays hidden until its item is toggled.
    ctl<QListWidget>(m_cube, "lstVisDataField")->item(0)->setCheckState(Qt::Unchecked);
    fexport *e = openExport();
    QCOMPARE(e->lstVisDataField->item(0)->checkState(), Qt::Checked);
    QVERIFY(!ctl<DCube>(m_cube, "DCube1")->dataFields()->item(0)->shown());
    e->lstVisDataField->item(1)->setCheckState(Qt::Unchecked);
    QVERIFY(!ctl<DCube>(m_cube, "DCube1")->dataFields()->item(1)->shown());
    // The cube screen's own list is not updated.
    QCOMPARE(ctl<QListWidget>(m_cube, "lstVisDataField")->item(1)->checkState(), Qt::Checked);
    e->lstVisDataField->item(0)->setCheckState(Qt::Unchecked);
    e->lstVisDataField->item(0)->setCheckState(Qt::Checked);
    QVERIFY(ctl<DCube>(m_cube, "DCube1")->dataFields()->item(0)->shown());
    QVERIFY(m_fx->shell.dialogs.messages.isEmpty());
}

void tst_fexport::fileCannotBeWritten()
{
    // A folder in the file's place: the export fails, is reported, and the
    // screen stays open with nothing opened.
    QVERIFY(QDir(m_fx->shell.folders.programFolder()).mkdir(QStringLiteral("HtmlExport.htm")));
    fexport *e = openExport();
    e->cmdExport->click();
    QCOMPARE(m_fx->shell.dialogs.messages.size(), 1);
    QVERIFY(m_fx->shell.dialogs.lastText().startsWith(
        QStringLiteral("Não foi possível gravar o arquivo ")));
    QVERIFY(e->isVisible());
    QVERIFY(m_opened.isEmpty());
}

// Cancel in the export's progress: no file, no message, nothing opened, the
// screen stays open; the last export's file stays as it was.
void tst_fexport::cancelledExport()
{
    exportAndWait(openExport());
    const QString before = read(QStringLiteral("HtmlExport.htm"));
    QVERIFY(!before.isEmpty());
    m_opened.clear();
    m_fx->shell.dialogs.cancelProgressAt = 0; // at the first line
    for (bool excel : {false, true}) {
        m_fx->shell.dialogs.progressLabels.clear();
        fexport *e = openExport();
        e->robExcel->setChecked(excel);
        e->cmdExport->click();
        QCOMPARE(m_fx->shell.dialogs.progressLabels, QStringList{"Exportando o cubo..."});
        QVERIFY(e->isVisible());
        QVERIFY(m_fx->shell.dialogs.messages.isEmpty());
        QVERIFY(m_opened.isEmpty());
        e->close();
    }
    QCOMPARE(read(QStringLiteral("HtmlExport.htm")), before);
    QVERIFY(!QFile::exists(m_fx->shell.folders.programFile(QStringLiteral("ExcelExport.xls"))));
}

void tst_fexport::openerFails()
{
    m_openResult = false;
    exportAndWait(openExport());
    QCOMPARE(m_opened.size(), 1);
    QVERIFY(m_fx->shell.dialogs.lastText().startsWith(
        QStringLiteral("Não foi possível abrir o arquivo ")));
}

QTEST_MAIN(tst_fexport)
#include "tst_fexport.moc"
