// The ranking screen over the cube screen's cube: the axis-field list, the
// data-field list, the options that write a field's sort settings, the
// re-sort on a change of label order, and the selected field.
#include "cube/rankform.h"
#include "support/cubescreen_test.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QtTest>

using namespace kq::test;
using namespace kq::test::cubescreen;
using kq::cube::fcubovendas;
using kq::cube::RankForm;
using kq::platform::CubeField;
using kq::platform::DCube;
using kq::platform::ScreenRegistry;

class tst_rankform : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void axisFields();
    void hiddenDataFieldLeftOut();
    void descendingLabelsResortOnce();
    void rankedFieldShown();
    void rankByValue();
    void selectedFieldByCaption();
    void selectedFieldNeedsCube();

private:
    RankForm *openRank();
    int rowOf(const QString &caption) const;
    CubeField *store() const
    {
        return ctl<DCube>(m_cube, "DCube1")->fields()->item(QStringLiteral("ds_loja"));
    }

    CubeFixture *m_fx = nullptr;
    fcubovendas *m_cube = nullptr;
};

void tst_rankform::init()
{
    m_fx = new CubeFixture;
    m_cube = m_fx->open();
    store()->setOrientation(kq::platform::OrientRow);
    QVERIFY(ctl<DCube>(m_cube, "DCube1")->rebuild());
}

void tst_rankform::cleanup()
{
    delete m_fx;
    m_fx = nullptr;
}

RankForm *tst_rankform::openRank()
{
    ctl<QAction>(m_cube, "Classificar")->trigger();
    return qobject_cast<RankForm *>(ScreenRegistry::instance().find(QStringLiteral("RankForm")));
}

int tst_rankform::rowOf(const QString &caption) const
{
    for (int r = 0; r < ctl<DCube>(m_cube, "DCube1")->rowCount(); ++r) {
        if (ctl<DCube>(m_cube, "DCube1")->rowHeading(r, 1).text == caption)
            return r;
    }
    return -1;
}

void tst_rankform::axisFields()
{
    RankForm *f = openRank();
    QVERIFY(f);
    QCOMPARE(f->windowTitle(), QStringLiteral("Ordenação do Cubo"));
    QCOMPARE(f->lstAxisFields->count(), 12);
    QStringList captions;
    for (int i = 0; i < f->lstAxisFields->count(); ++i)
        captions << f->lstAxisFields->item(i)->text();
    QVERIFY(!captions.contains("Valor"));
    QVERIFY(!captions.contains("Atualizado"));
    QCOMPARE(f->lstAxisFields->item(11)->text(), QStringLiteral("Tipo Documento"));
    QCOMPARE(f->lstAxisFields->item(11)->data(Qt::UserRole).toInt(), 13);
    // Nothing chosen yet: the sort controls are disabled.
    for (QRadioButton *option : f->SortOption)
        QVERIFY(!option->isEnabled());
    QVERIFY(!f->cboDataFields->isEnabled());
    QVERIFY(!f->MeasureComboLabel->isEnabled());
}

void tst_rankform::hiddenDataFieldLeftOut()
{
    ctl<QListWidget>(m_cube, "lstVisDataField")->item(1)->setCheckState(Qt::Unchecked);
    RankForm *f = openRank();
    f->lstAxisFields->setCurrentRow(8); // "Cliente"
    QCOMPARE(f->cboDataFields->count(), 2);
    QCOMPARE(f->cboDataFields->itemText(0), QStringLiteral("Cliente"));
    QCOMPARE(f->cboDataFields->itemText(1), QStringLiteral("Valor"));
    QCOMPARE(f->cboDataFields->itemData(1).toInt(),
             ctl<DCube>(m_cube, "DCube1")->dataFields()->item(0)->dataIndex());
    QVERIFY(f->SortOption[0]->isChecked());
    QVERIFY(!f->cboDataFields->isEnabled());
}

void tst_rankform::descendingLabelsResortOnce()
{
    RankForm *f = openRank();
    f->lstAxisFields->setCurrentRow(8);
    QCOMPARE(rowOf(QStringLiteral("LOJA NORTE")), 0);
    const int layouts = ctl<DCube>(m_cube, "DCube1")->model()->layoutCount();
    f->SortOption[2]->click();
    QCOMPARE(store()->labelDescending(), 1);
    QCOMPARE(store()->sortType(), 0);
    QCOMPARE(ctl<DCube>(m_cube, "DCube1")->model()->layoutCount(), layouts + 1);
    QCOMPARE(rowOf(QStringLiteral("LOJA SUL")), 0);
    QCOMPARE(f->cboDataFields->currentIndex(), 0);
    QVERIFY(f->cboDataFields->isEnabled());
    f->SortOption[2]->click();
    QCOMPARE(ctl<DCube>(m_cube, "DCube1")->model()->layoutCount(), layouts + 1);
    // Back to the default order.
    f->SortOption[0]->click();
    QCOMPARE(store()->labelDescending(), 0);
    QCOMPARE(rowOf(QStringLiteral("LOJA NORTE")), 0);
    QVERIFY(!f->cboDataFields->isEnabled());
    QVERIFY(m_fx->shell.dialogs.messages.isEmpty());
}

void tst_rankform::rankedFieldShown()
{
    CubeField *valor = ctl<DCube>(m_cube, "DCube1")->dataFields()->item(0);
    store()->setSortType(2);
    store()->setRankDataField(valor->dataIndex());
    RankForm *f = openRank();
    f->lstAxisFields->setCurrentRow(8);
    QVERIFY(f->SortOption[2]->isChecked());
    QCOMPARE(f->cboDataFields->currentText(), QStringLiteral("Valor"));
    QVERIFY(f->cboDataFields->isEnabled());
    QCOMPARE(store()->sortType(), 2);
    QCOMPARE(store()->rankDataField(), valor->dataIndex());
    QCOMPARE(store()->labelDescending(), 0);
}

void tst_rankform::rankByValue()
{
    // LOJA NORTE sums 650, LOJA SUL 350.
    RankForm *f = openRank();
    f->lstAxisFields->setCurrentRow(8);
    f->SortOption[1]->click();
    f->cboDataFields->setCurrentIndex(1); // "Valor"
    QCOMPARE(store()->sortType(), 1);
    QCOMPARE(store()->rankDataField(),
             ctl<DCube>(m_cube, "DCube1")->dataFields()->item(0)->dataIndex());
    QCOMPARE(rowOf(QStringLiteral("LOJA SUL")), 0);
    f->SortOption[2]->click();
    QCOMPARE(store()->sortType(), 2);
    QCOMPARE(f->cboDataFields->currentText(), QStringLiteral("Valor"));
    QCOMPARE(rowOf(QStringLiteral("LOJA NORTE")), 0);
    // The field's own labels again.
    f->cboDataFields->setCurrentIndex(0);
    QCOMPARE(store()->sortType(), 0);
    QCOMPARE(store()->rankDataField(), 0);
    QCOMPARE(store()->labelDescending(), 1);
}

void tst_rankform::selectedFieldByCaption()
{
    RankForm *f = openRank();
    kq::platform::DCube other;
    CubeField *foreign
        = other.addField(QStringLiteral("x"), QStringLiteral("cLIENTE"), kq::platform::OrientRow);
    f->setSelectedField(foreign);
    QCOMPARE(f->selectedField(), store());
    QCOMPARE(f->lstAxisFields->currentItem()->text(), QStringLiteral("Cliente"));
    QVERIFY(f->SortOption[0]->isEnabled());
    QVERIFY(f->SortOption[0]->isChecked());
    // No field: nothing chosen and the controls disabled.
    f->setSelectedField(nullptr);
    QVERIFY(!f->selectedField());
    QCOMPARE(f->lstAxisFields->currentRow(), -1);
    for (QRadioButton *option : f->SortOption) {
        QVERIFY(!option->isChecked());
        QVERIFY(!option->isEnabled());
    }
    QCOMPARE(f->cboDataFields->currentIndex(), -1);
}

void tst_rankform::selectedFieldNeedsCube()
{
    RankForm f;
    f.setSelectedField(store());
    QCOMPARE(m_fx->shell.dialogs.messages.size(), 1);
    const auto &m = m_fx->shell.dialogs.messages.first();
    QCOMPARE(m.text, QStringLiteral("Must set the Form.DynamiCube property before calling "
                                    "setting this property."));
    QCOMPARE(m.title, QStringLiteral("Invalid Property Call - SelectedField"));
    QCOMPARE(m.icon, kq::platform::Icon::Critical);
    QVERIFY(!f.selectedField());
}

QTEST_MAIN(tst_rankform)
#include "tst_rankform.moc"
