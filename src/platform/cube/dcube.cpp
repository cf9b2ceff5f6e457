#include "platform/cube/dcube.h"

#include "platform/cube/cubeview.h"

#include <QPrintPreviewDialog>
#include <QVBoxLayout>

namespace kq::platform {

DCube::DCube(QWidget *parent) : QWidget(parent), m_model(new CubeModel(this))
{
    m_view = new CubeView(this);
    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->addWidget(m_view);
    QObject::connect(m_model, &CubeModel::formatCellRequested, this, &DCube::formatCell);
    QObject::connect(m_model, &CubeModel::layoutChanged, this, &DCube::layoutChanged);
    QObject::connect(m_model, &CubeModel::dataFieldShownChanged, this,
                     &DCube::dataFieldShownChanged);
    QObject::connect(m_model, &CubeModel::errorOccurred, this, &DCube::errorOccurred);
}

DCube::~DCube() = default;

bool DCube::rebuild() { return m_model->rebuild(); }
void DCube::refresh() {}
void DCube::setBorderStyle(int v) { m_model->style().borderStyle = v; }
void DCube::setRowStyle(int v) { m_model->style().rowStyle = v; }
void DCube::setColStyle(int v) { m_model->style().colStyle = v; }
void DCube::setGridStyle(int v) { m_model->style().gridStyle = v; }
void DCube::setGridColor(int c) { m_model->style().gridColor = c; }
void DCube::setCubeBackColor(int c) { m_model->style().cubeBackColor = c; }
void DCube::setFieldsBackColor(int c) { m_model->style().fieldsBackColor = c; }
void DCube::setFieldsForeColor(int c) { m_model->style().fieldsForeColor = c; }
void DCube::setFieldFont(const QFont &f) { m_model->style().fieldFont = f; }
void DCube::setFilteredFieldsBackColor(int c) { m_model->style().filteredFieldsBackColor = c; }
void DCube::setFilteredFieldsForeColor(int c) { m_model->style().filteredFieldsForeColor = c; }
void DCube::setFilteredFieldFont(const QFont &f) { m_model->style().filteredFieldFont = f; }
void DCube::setHeadingsBackColor(int c) { m_model->style().headingsBackColor = c; }
void DCube::setHeadingsForeColor(int c) { m_model->style().headingsForeColor = c; }
void DCube::setHeadingsFont(const QFont &f) { m_model->style().headingsFont = f; }
void DCube::setTotalsBackColor(int c) { m_model->style().totalsBackColor = c; }
void DCube::setTotalsForeColor(int c) { m_model->style().totalsForeColor = c; }
void DCube::setTotalsFont(const QFont &f) { m_model->style().totalsFont = f; }
void DCube::setCubeFont(const QFont &f) { m_model->style().font = f; }
void DCube::setMousePointer(int pointer) { m_mousePointer = pointer; }
CubeHitRecord DCube::hitTest(const QPoint &) const { return {}; }
CubeLoadResult DCube::load(const QString &path) { return m_model->load(path); }
bool DCube::openUrl(const QString &url) { return m_model->openUrl(url); }
bool DCube::print(QPrinter *) { return false; }
int DCube::pageCount(QPrinter *) { return 0; }
QPrintPreviewDialog *DCube::printPreview(QWidget *) { return nullptr; }
QWidget *DCube::showFilterPopup(CubeField *) { return nullptr; }

} // namespace kq::platform
