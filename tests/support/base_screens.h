#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace kq::test {

// The folder screenshots go to (KQ_SHOT_DIR); empty when none is asked for.
QString shotDir();

// Saves the widget's picture as <name>.png in the screenshot folder. False
// only when a picture was asked for and could not be written.
bool shot(QWidget *w, const QString &name);

// A screen's control found by its object name; stops the test when the
// screen has no such control.
QObject *control(const QObject *screen, const char *name, const QMetaObject &type);

template<class T>
T *ctl(const QObject *screen, const char *name)
{
    return static_cast<T *>(control(screen, name, T::staticMetaObject));
}

} // namespace kq::test
