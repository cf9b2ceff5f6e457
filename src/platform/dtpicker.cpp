#include "platform/dtpicker.h"

namespace kq::platform {

DTPicker::DTPicker(QWidget *parent)
    : QDateEdit(QDate::currentDate(), parent)
{
    setCalendarPopup(true);
    setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
}

} // namespace kq::platform
