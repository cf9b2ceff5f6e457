#include "cube/datamarkercollection.h"
#include "cube/datamarkerseditorform.h"
#include "cube/rules/markerranges.h"
#include "cubetools_fixture.h"
#include "cube/engine/dcube.h"
#include "cube/screens.h"
#include "core/errorinfo.h"
#include "platform/screenregistry.h"
#include "support/base_dialogs.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

using kq::cube::DataMarkerCollection;
using kq::cube::MarkerRange;
using kq::platform::CubeCell;
using kq::platform::DCube;
using kq::platform::RuntimeError;

namespace {

const QLocale kBrazil(QLocale::Portuguese, QLocale::Brazil);

void useLocale(const QString &name)
{
    QLocale::setDefault(name == QLatin1String("C") ? QLocale::c() : kBrazil);
}

// The cube screen's two data fields, "Valor" and "Atualizado".
void addDataFields(DCube &cube)
{
    auto *valor = cube.addField(QStringLiteral("VL_CHEQUE"), QStringLiteral("Valor"),
                                kq::platform::OrientData);
    valor->setName(QStringLiteral("sumVL_CHEQUE"));
    valor->setNumberFormat(QStringLiteral("0.00"));
    auto *atualizado = cube.addField(QStringLiteral("vl_atualizado"), QStringLiteral("Atualizado"),
                                     kq::platform::OrientData);
    atualizado->setName(QStringLiteral("Atualizado"));
    atualizado->setNumberFormat(QStringLiteral("0.00"));
}

QStringList rangeTexts(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

} // namespace

class tst_datamarkers : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void collectionPositionsAndKeys()
    {
        DataMarkerCollection markers;
        auto *a = markers.Add(1, 2, 10, 20, QStringLiteral("f"));
        QCOMPARE(a->LowValue, 10.0); // LowValue comes before HighValue
        QCOMPARE(a->HighValue, 20.0);
        QCOMPARE(a->ForeColor, 1);
        QCOMPARE(a->BackColor, 2);
        markers.Add(0, 0, 30, 40, QStringLiteral("f"), QStringLiteral("k"));
        markers.Add(0, 0, 50, 60, QStringLiteral("g"));
        QCOMPARE(markers.Count(), 3);
        QCOMPARE(markers.Item(QStringLiteral("K"))->LowValue, 30.0);
        try {
            markers.Add(0, 0, 1, 2, QStringLiteral("f"), QStringLiteral("k"));
            QFAIL("a key in use was accepted");
        } catch (const RuntimeError &e) {
            QCOMPARE(e.info().number, 457);
        }
        QCOMPARE(markers.Count(), 3);
        markers.Remove(2);
        QCOMPARE(markers.Count(), 2);
        QCOMPARE(markers.Item(2)->LowValue, 50.0); // the later one moved down
        QVERIFY_THROWS_EXCEPTION(RuntimeError, markers.Item(3));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, markers.Item(QStringLiteral("k")));
        QVERIFY_THROWS_EXCEPTION(RuntimeError, markers.Remove(0));
        QList<double> lows;
        for (const auto &m : markers)
            lows << m.LowValue;
        QCOMPARE(lows, QList<double>({10, 50}));
    }

    void cellColours()
    {
        DCube cube;
        addDataFields(cube);
        DataMarkerCollection markers;
        markers.Add(255, 0xFFFFFF, 1000, 5000, QStringLiteral("sumVL_CHEQUE"));
        markers.Add(0xFF0000, 0x00FF00, 4000, 6000, QStringLiteral("sumVL_CHEQUE"));
        markers.Add(1, 2, 0, 1e9, QStringLiteral("SUMVL_CHEQUE")); // names are exact
        auto colour = [&](int number, double value) {
            CubeCell cell;
            cell.dataFieldNumber = number;
            cell.value = value;
            cell.backColor = 0xC0C0C0;
            cell.foreColor = 7;
            kq::cube::formatCellWithMarkers(cell, *cube.model(), markers);
            return std::pair{cell.foreColor, cell.backColor};
        };
        QCOMPARE(colour(1, 1000), (std::pair{255, 0xFFFFFF}));      // both limits included
        QCOMPARE(colour(1, 5000), (std::pair{0xFF0000, 0x00FF00})); // the later one wins
        QCOMPARE(colour(-1, 3000), (std::pair{255, 0xFFFFFF}));     // a total cell
        QCOMPARE(colour(1, 999.99), (std::pair{7, 0xC0C0C0}));
        QCOMPARE(colour(2, 3000), (std::pair{7, 0xC0C0C0})); // "Atualizado" has none
        QCOMPARE(colour(0, 3000), (std::pair{7, 0xC0C0C0}));
        QCOMPARE(colour(9, 3000), (std::pair{7, 0xC0C0C0})); // no such data field
        markers.Remove(2);
        QCOMPARE(colour(1, 4500), (std::pair{255, 0xFFFFFF}));
    }

    void cubeCellsTakeMarkerColours()
    {
        kq::test::cubetools::ChequeCube fixture;
        QVERIFY(fixture.ok);
        auto &cube = fixture.cube;
        DataMarkerCollection markers;
        QObject::connect(&cube, &DCube::formatCell, &cube, [&](CubeCell *cell) {
            kq::cube::formatCellWithMarkers(*cell, *cube.model(), markers);
        });
        markers.Add(255, 0xFFFFFF, 1000, 5000, QStringLiteral("sumVL_CHEQUE"));
        // Columns: 2023 Valor, 2023 Atualizado, 2024 Valor, ...; row 0 is store A.
        const CubeCell valor2023 = cube.model()->formatCell(0, 0);
        QCOMPARE(valor2023.value, 1500.0);
        QCOMPARE(valor2023.backColor, 0xFFFFFF);
        QCOMPARE(valor2023.foreColor, 255);
        const CubeCell atualizado2023 = cube.model()->formatCell(0, 1);
        QCOMPARE(atualizado2023.value, 1650.0);
        QVERIFY(atualizado2023.foreColor != 255); // a marker of "Valor" only
        markers.Add(0x00FF00, 0, 1500, 1500, QStringLiteral("sumVL_CHEQUE"));
        QCOMPARE(cube.model()->formatCell(0, 0).foreColor, 0x00FF00);
        QCOMPARE(cube.model()->formatCell(0, 2).foreColor, 255); // 4000: the first only
    }

    void editorAddsAndLists_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("listed");
        QTest::addColumn<QString>("lowBox");
        QTest::newRow("C") << "C"
                           << "5000 - 1000"
                           << "1000.00 - 5000.00"
                           << "1000";
        QTest::newRow("pt_BR") << "pt_BR"
                               << "1000 - 5000,5"
                               << "1000,00 - 5000,50"
                               << "1000";
    }

    void editorAddsAndLists()
    {
        QFETCH(QString, locale);
        QFETCH(QString, answer);
        QFETCH(QString, listed);
        QFETCH(QString, lowBox);
        useLocale(locale);
        kq::test::ScriptedDialogs dialogs;
        DCube cube;
        addDataFields(cube);
        DataMarkerCollection markers;
        kq::cube::DataMarkersEditorForm form;
        form.fill(&cube, &markers);
        QCOMPARE(form.windowTitle(), QStringLiteral("Gerador de Marcadores"));
        QCOMPARE(form.cboDataMarkerField->count(), 2);
        QCOMPARE(form.cboDataMarkerField->itemText(1), QStringLiteral("Atualizado"));
        QCOMPARE(form.cboDataMarkerField->itemData(1).toInt(), 1);
        QVERIFY(!form.cmdDelete->isEnabled());

        dialogs.inputs.enqueue(answer);
        form.cmdAdd->click();
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.messages.first().title, QStringLiteral("New Data Marker"));
        QCOMPARE(dialogs.messages.first().text,
                 QStringLiteral("Entre com a faixa de valores desejada para Valor. Usando como "
                                "separador (-) para valores negatigos use parenteses."
                                "\r\n\r\n\r\n\"(2) - 4.9"));
        QCOMPARE(markers.Count(), 1);
        const auto *m = markers.Item(1);
        QCOMPARE(m->dataFieldName, QStringLiteral("sumVL_CHEQUE"));
        QCOMPARE(m->ForeColor, 255);
        QCOMPARE(m->BackColor, 16777215);
        QCOMPARE(rangeTexts(form.lstRanges), QStringList{listed});
        QCOMPARE(form.txtLimit[0]->text(), lowBox);
        QVERIFY(form.cmdDelete->isEnabled());
        QCOMPARE(form.cmdDMBackColor->property("BackColor").toInt(), 16777215);
        QCOMPARE(form.cmdDMForeColor->property("BackColor").toInt(), 255);

        // The other data field lists none of it.
        form.cboDataMarkerField->setCurrentIndex(1);
        QCOMPARE(form.lstRanges->count(), 0);
    }

    void editorRefusals()
    {
        kq::test::ScriptedDialogs dialogs;
        DCube cube;
        addDataFields(cube);
        DataMarkerCollection markers;
        kq::cube::DataMarkersEditorForm form;
        form.fill(&cube, &markers);
        dialogs.inputs << QString() << std::nullopt << QStringLiteral("1 - 2 - 3")
                       << QStringLiteral("abc - 4");
        for (int i = 0; i < 4; ++i)
            QVERIFY(!form.NewDataMarker(QStringLiteral("sumVL_CHEQUE")));
        QCOMPARE(markers.Count(), 0);
        // Four prompts; the last two answers are refused.
        QCOMPARE(dialogs.messages.size(), 6);
        QCOMPARE(dialogs.messages.at(3).text, QStringLiteral("Invalid Data Marker range."));
        QCOMPARE(dialogs.messages.at(3).title, QStringLiteral("Please Try Again..."));
        QCOMPARE(dialogs.messages.at(3).icon, kq::platform::Icon::Information);
        QCOMPARE(dialogs.messages.at(5).text, QStringLiteral("'abc' is not a valid number."));
        QCOMPARE(dialogs.messages.at(5).icon, kq::platform::Icon::Warning);
    }

    void editorLimits_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<QString>("listed");
        QTest::newRow("C lower 9000")
            << "C" << 0 << "9000" << 5000.0 << 9000.0 << "5000.00 - 9000.00";
        QTest::newRow("C upper 500") << "C" << 1 << "500" << 500.0 << 1000.0 << "500.00 - 1000.00";
        // The regional decimal is kept whole, not cut at the comma.
        QTest::newRow("pt_BR upper 1500,5")
            << "pt_BR" << 1 << "1500,5" << 1000.0 << 1500.5 << "1000,00 - 1500,50";
        QTest::newRow("pt_BR lower 1.200")
            << "pt_BR" << 0 << "1.200" << 1200.0 << 5000.0 << "1200,00 - 5000,00";
    }

    void editorLimits()
    {
        QFETCH(QString, locale);
        QFETCH(int, index);
        QFETCH(QString, typed);
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(QString, listed);
        useLocale(locale);
        kq::test::ScriptedDialogs dialogs;
        DCube cube;
        addDataFields(cube);
        DataMarkerCollection markers;
        markers.Add(255, 0xFFFFFF, 1000, 5000, QStringLiteral("sumVL_CHEQUE"));
        kq::cube::DataMarkersEditorForm form;
        form.fill(&cube, &markers);
        form.txtLimit[index]->setText(typed);
        QVERIFY(form.UpdateLimit(index));
        QCOMPARE(markers.Item(1)->LowValue, low);
        QCOMPARE(markers.Item(1)->HighValue, high);
        QCOMPARE(rangeTexts(form.lstRanges), QStringList{listed});
        QCOMPARE(form.txtLimit[index]->text(), typed); // the boxes keep what was typed
        QVERIFY(dialogs.messages.isEmpty());
    }

    void editorBoxesInUse()
    {
        kq::test::ScriptedDialogs dialogs;
        DCube cube;
        addDataFields(cube);
        DataMarkerCollection markers;
        markers.Add(255, 0xFFFFFF, 1000, 5000, QStringLiteral("sumVL_CHEQUE"));
        kq::cube::DataMarkersEditorForm form;
        form.fill(&cube, &markers);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QLineEdit *upper = form.txtLimit[1];
        upper->setFocus();
        QTRY_VERIFY(upper->hasFocus());

        // Enter stores the limit at once and the focus stays.
        upper->setText(QStringLiteral("7000"));
        QTest::keyClick(upper, Qt::Key_Return);
        QCOMPARE(markers.Item(1)->HighValue, 7000.0);
        QVERIFY(upper->hasFocus());

        // A box holding no number keeps the focus and the marker.
        upper->setText(QStringLiteral("abc"));
        form.txtLimit[0]->setFocus();
        QCOMPARE(dialogs.lastText(), QStringLiteral("Number must be Numeric"));
        QCOMPARE(dialogs.messages.last().title, QStringLiteral("Invalid Value"));
        QTRY_VERIFY(upper->hasFocus());
        QCOMPARE(markers.Item(1)->HighValue, 7000.0);

        // A data field without markers: the edit beeps and resets both boxes.
        upper->setText(QStringLiteral("1"));
        QVERIFY(form.UpdateLimit(1));
        form.cboDataMarkerField->setCurrentIndex(1);
        form.txtLimit[0]->setText(QStringLiteral("12"));
        QVERIFY(form.UpdateLimit(0));
        QCOMPARE(form.txtLimit[0]->text(), QStringLiteral("0"));
        QCOMPARE(form.txtLimit[1]->text(), QStringLiteral("0"));
    }

    void editorOpensAfreshEachTime()
    {
        kq::cube::registerCubeToolScreens();
        DCube cube;
        addDataFields(cube);
        DataMarkerCollection markers;
        markers.Add(255, 0xFFFFFF, 1, 2, QStringLiteral("Atualizado"));
        QList<int> fieldCounts;
        QList<int> rangeCounts;
        for (int opening = 0; opening < 2; ++opening) {
            QTimer::singleShot(0, [&] {
                auto *form = qobject_cast<kq::cube::DataMarkersEditorForm *>(
                    kq::platform::ScreenRegistry::instance().find(
                        QStringLiteral("DataMarkersEditorForm")));
                QVERIFY(form && form->isVisible());
                fieldCounts << form->cboDataMarkerField->count();
                form->cboDataMarkerField->setCurrentIndex(1);
                rangeCounts << form->lstRanges->count();
                form->close();
            });
            kq::cube::DataMarkersEditorForm::ShowDataMarkers(&cube, &markers);
        }
        QCOMPARE(fieldCounts, QList<int>({2, 2})); // the lists start empty each time
        QCOMPARE(rangeCounts, QList<int>({1, 1})); // the markers stay with the screen
        QVERIFY(!kq::platform::ScreenRegistry::instance().find(
            QStringLiteral("DataMarkersEditorForm")));
    }

    void editorRemoveAndColours()
    {
        kq::test::ScriptedDialogs dialogs;
        DCube cube;
        addDataFields(cube);
        DataMarkerCollection markers;
        for (int i = 1; i <= 3; ++i)
            markers.Add(255, 0xFFFFFF, i * 10, i * 10 + 5, QStringLiteral("sumVL_CHEQUE"));
        kq::cube::DataMarkersEditorForm form;
        form.fill(&cube, &markers);
        QCOMPARE(form.lstRanges->count(), 3);
        form.lstRanges->setCurrentRow(1);
        form.cmdDelete->click();
        QCOMPARE(markers.Count(), 2);
        QCOMPARE(markers.Item(2)->LowValue, 30.0);
        QCOMPARE(form.lstRanges->count(), 2);
        QCOMPARE(form.lstRanges->item(1)->data(Qt::UserRole).toInt(), 2);
        QCOMPARE(form.lstRanges->currentRow(), 0);

        // The colour dialog starts at the marker's colour; a cancel keeps it.
        dialogs.colors.enqueue(QColor(0, 0, 255));
        form.cmdDMBackColor->click();
        QCOMPARE(markers.Item(1)->BackColor, 0xFF0000); // blue, red in the low byte
        QCOMPARE(form.cmdDMBackColor->property("BackColor").toInt(), 0xFF0000);
        dialogs.colors.enqueue(std::nullopt);
        form.cmdDMForeColor->click();
        QCOMPARE(markers.Item(1)->ForeColor, 255);

        // With no marker of the field the buttons change nothing.
        form.cboDataMarkerField->setCurrentIndex(1);
        dialogs.colors.enqueue(QColor(0, 255, 0));
        form.cmdDMForeColor->click();
        form.cmdDelete->click();
        QCOMPARE(dialogs.colors.size(), 1);
        QCOMPARE(markers.Count(), 2);
    }
};

QTEST_MAIN(tst_datamarkers)
#include "tst_datamarkers.moc"
