#pragma once

#include "cube/dynamicubehelpermethods.h"

#include <QObject>
#include <QPointer>
#include <QString>

namespace kq::platform {
class DCube;
struct CubeCell;
} // namespace kq::platform

namespace kq::cube {

// Adds to a cube a double-click action on its headings (expand or collapse
// the heading, or rename its data item) and the swap of two data fields by
// dragging one data-field caption onto another column.
class DynamiCubeInteraction : public QObject
{
    Q_OBJECT
public:
    explicit DynamiCubeInteraction(QObject *parent = nullptr);

    // 0 nothing, 1 expand or collapse the heading, 2 rename its data item.
    int DoubleClickAction() const { return m_doubleClickAction; }
    void setDoubleClickAction(int action) { m_doubleClickAction = action; }
    bool AllowDragDropDataField() const { return m_allowDragDropDataField; }
    void setAllowDragDropDataField(bool allow) { m_allowDragDropDataField = allow; }

    // Listens to the cube's events from now on; resets DoubleClickAction.
    void Init(kq::platform::DCube *cube);
    DynamiCubeHelperMethods *BaseClass() { return &m_helper; }

signals:
    // A drop swapped two data fields; the dragged field's name.
    void DataFieldDragComplete(const QString &fieldName);

private:
    void cubeDblClick();
    void cubeMouseDown(int button, int shift, int x, int y);
    void cubeMouseMove(int button, int shift, int x, int y);
    void cubeMouseUp(int button, int shift, int x, int y);
    void cubeFormatCell(kq::platform::CubeCell *cell);
    void cubeError(int code, const QString &description, const QString &source, bool *handled);

    QPointer<kq::platform::DCube> m_cube;
    DynamiCubeHelperMethods m_helper;
    bool m_allowDragDropDataField = true;
    bool m_dragging = false;
    QString m_dragSourceField;
    QString m_dragTargetField;
    int m_doubleClickAction = 0;
    int m_lastDragColumn = 0;
};

} // namespace kq::cube
