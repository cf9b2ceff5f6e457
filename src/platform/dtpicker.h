#pragma once

#include <QDateEdit>

namespace kq::platform {

// Date field with a calendar, shown "dd/MM/yyyy"; starts on today.
class DTPicker : public QDateEdit
{
    Q_OBJECT
public:
    explicit DTPicker(QWidget *parent = nullptr);
    QDate value() const { return date(); }
    void setValue(const QDate &d) { setDate(d); }
};

} // namespace kq::platform
