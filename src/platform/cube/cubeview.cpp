#include "platform/cube/cubeview.h"

#include "platform/cube/dcube.h"

namespace kq::platform {

struct CubeView::Geometry {};

CubeView::CubeView(DCube *cube) : QAbstractScrollArea(cube), m_cube(cube), m_model(cube->model()) {}
CubeView::~CubeView() = default;
CubeHitRecord CubeView::hitTest(const QPoint &) const { return {}; }
QRect CubeView::fieldButtonRect(const CubeField *) const { return {}; }
QRect CubeView::cellRect(int, int) const { return {}; }
QRect CubeView::rowHeadingRect(int, int) const { return {}; }
QRect CubeView::columnHeadingRect(int, int) const { return {}; }
QRect CubeView::pageAreaRect() const { return {}; }
QRect CubeView::columnAreaRect() const { return {}; }
QRect CubeView::rowAreaRect() const { return {}; }
QRect CubeView::expandBoxRect(bool, int, int) const { return {}; }
void CubeView::clearFormats() { m_formats.clear(); }
void CubeView::formatVisibleCells() {}
void CubeView::scrollToCell(int, int) {}
QWidget *CubeView::showFilterPopup(CubeField *) { return nullptr; }
void CubeView::paintEvent(QPaintEvent *) {}
void CubeView::resizeEvent(QResizeEvent *) {}
void CubeView::mousePressEvent(QMouseEvent *) {}
void CubeView::mouseMoveEvent(QMouseEvent *) {}
void CubeView::mouseReleaseEvent(QMouseEvent *) {}
void CubeView::mouseDoubleClickEvent(QMouseEvent *) {}
void CubeView::keyPressEvent(QKeyEvent *) {}
void CubeView::scrollContentsBy(int, int) {}

} // namespace kq::platform
