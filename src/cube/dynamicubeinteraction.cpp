#include "cube/dynamicubeinteraction.h"

#include "cube/engine/dcube.h"
#include "platform/dialogs.h"
#include "core/errorinfo.h"
#include "platform/trappedconnect.h"

#include <cstdlib>

namespace kq::cube {

using kq::platform::CubeField;
using kq::platform::CubeHitRecord;
using kq::platform::DCube;
using kq::platform::Dialogs;

namespace {

constexpr int kLeftButton = 1;
constexpr int kDragPointer = 13;
constexpr int kDragTargetBackColor = 65280; // green
constexpr int kDragTargetForeColor = 0;

CubeField *required(CubeField *field)
{
    if (!field)
        throw kq::platform::RuntimeError(91,
                                         QStringLiteral("Object variable or With block "
                                                        "variable not set"),
                                         QStringLiteral("DynamiCubeInteraction"));
    return field;
}

} // namespace

DynamiCubeInteraction::DynamiCubeInteraction(QObject *parent)
    : QObject(parent)
{}

void DynamiCubeInteraction::Init(DCube *cube)
{
    if (m_cube)
        disconnect(m_cube, nullptr, this, nullptr);
    m_cube = cube;
    if (cube) {
        const QString name = QStringLiteral("DynamiCubeInteraction");
        using kq::platform::connectTrapped;
        using Self = DynamiCubeInteraction;
        connectTrapped(cube, &DCube::doubleClicked, this, name, &Self::cubeDblClick);
        connectTrapped(cube, &DCube::mousePressed, this, name, &Self::cubeMouseDown);
        connectTrapped(cube, &DCube::mouseMoved, this, name, &Self::cubeMouseMove);
        connectTrapped(cube, &DCube::mouseReleased, this, name, &Self::cubeMouseUp);
        connectTrapped(cube, &DCube::formatCell, this, name, &Self::cubeFormatCell);
        connectTrapped(cube, &DCube::errorOccurred, this, name, &Self::cubeError);
    }
    m_helper.Init(cube);
    m_doubleClickAction = 0;
}

void DynamiCubeInteraction::cubeDblClick()
{
    if (m_doubleClickAction == 0 || !m_cube)
        return;
    try {
        const CubeHitRecord hit = m_cube->lastHit();
        CubeField *field = m_helper.GetFieldFromHitRecord(hit);
        if (m_doubleClickAction == 1) {
            const int level0 = required(field)->position();
            if (field->orientation() != kq::platform::OrientData
                && hit.area == kq::platform::HitColumnHeadings) {
                m_cube->setColumnHeadingExpanded(
                    hit.column, level0, !m_cube->columnHeadingExpanded(hit.column, level0));
            } else if (hit.area == kq::platform::HitRowHeadings) {
                m_cube->setRowHeadingExpanded(hit.row, level0,
                                              !m_cube->rowHeadingExpanded(hit.row, level0));
            }
        } else if (m_doubleClickAction == 2 && hit.headingField) {
            const int level = hit.headingField->position() + 1;
            QString caption;
            if (hit.area == kq::platform::HitColumnHeadings)
                caption = m_cube->columnHeading(hit.column, level).text;
            else if (hit.area == kq::platform::HitRowHeadings)
                caption = m_cube->rowHeading(hit.row, level).text;
            const auto answer = Dialogs::inputBox(QStringLiteral("What would you like to change '")
                                                      + caption + QStringLiteral("' to ?"),
                                                  QStringLiteral("Change Data Display"), caption);
            if (answer && !answer->trimmed().isEmpty())
                m_helper.ChangeDataItemCaption(caption, *answer, field);
        }
        m_cube->refresh();
    } catch (const std::exception &e) {
        Dialogs::message(kq::platform::errorInfo(e).description, QStringLiteral("Error Occured"),
                         kq::platform::Buttons::Ok, kq::platform::Icon::Warning);
    }
}

void DynamiCubeInteraction::cubeMouseDown(int button, int, int, int)
{
    if (button != kLeftButton || !m_allowDragDropDataField || !m_cube)
        return;
    const CubeHitRecord hit = m_cube->lastHit();
    const CubeField *dataField = hit.area == kq::platform::HitColumnHeadings && !hit.headingField
                                     ? m_cube->dataFieldOfColumn(hit.column)
                                     : nullptr;
    if (dataField) {
        // A press on a data-field caption starts a drag.
        m_dragSourceField = dataField->name();
        m_dragTargetField = m_dragSourceField;
        m_dragging = true;
        m_cube->setMousePointer(kDragPointer);
    } else {
        m_dragging = false;
        m_dragSourceField.clear();
        m_dragTargetField.clear();
    }
}

void DynamiCubeInteraction::cubeMouseMove(int button, int, int, int)
{
    if (button != kLeftButton || !m_allowDragDropDataField || !m_dragging || !m_cube)
        return;
    try {
        const CubeHitRecord hit = m_cube->lastHit();
        if ((hit.area == kq::platform::HitDataCells || hit.area == kq::platform::HitColumnHeadings)
            && hit.column != m_lastDragColumn) {
            if (const CubeField *target = m_cube->dataFieldOfColumn(hit.column))
                m_dragTargetField = target->name();
            m_lastDragColumn = hit.column;
            m_cube->refresh(); // repaints the target's highlight
        }
    } catch (const std::exception &) {
        // errors are ignored while moving
    }
}

void DynamiCubeInteraction::cubeFormatCell(kq::platform::CubeCell *cell)
{
    if (!m_dragging || !m_cube || !cell)
        return;
    const CubeField *data
        = m_cube->dataFields()->itemByPosition(std::abs(cell->dataFieldNumber) - 1);
    if (data && data->name() == m_dragTargetField && data->name() != m_dragSourceField) {
        cell->backColor = kDragTargetBackColor;
        cell->foreColor = kDragTargetForeColor;
    }
}

void DynamiCubeInteraction::cubeMouseUp(int button, int, int, int)
{
    if (!m_cube)
        return;
    if (button == kLeftButton && m_dragging) {
        m_dragging = false;
        m_cube->setMousePointer(0);
        if (m_dragSourceField != m_dragTargetField) {
            try {
                CubeField *source = required(m_cube->fields()->item(m_dragSourceField));
                CubeField *target = required(m_cube->fields()->item(m_dragTargetField));
                // Positions move the field (the others shift): the lower one first.
                if (source->position() <= target->position()) {
                    const int former = source->position();
                    source->setPosition(target->position());
                    target->setPosition(former);
                } else {
                    const int former = target->position();
                    target->setPosition(source->position());
                    source->setPosition(former);
                }
                m_cube->refresh();
                emit DataFieldDragComplete(source->name());
            } catch (const std::exception &e) {
                const auto info = kq::platform::errorInfo(e);
                Dialogs::message(QString::number(info.number) + QStringLiteral(" : ")
                                     + info.description,
                                 QStringLiteral("Error!"), kq::platform::Buttons::Ok,
                                 kq::platform::Icon::Critical);
                return;
            }
        }
    }
    m_dragSourceField.clear();
    m_dragTargetField.clear();
}

void DynamiCubeInteraction::cubeError(int, const QString &, const QString &, bool *handled)
{
    if (handled)
        *handled = true;
}

} // namespace kq::cube
