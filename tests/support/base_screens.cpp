#include "support/base_screens.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>

namespace kq::test {

QString shotDir()
{
    return qEnvironmentVariable("KQ_SHOT_DIR");
}

bool shot(QWidget *w, const QString &name)
{
    const QString dir = shotDir();
    if (dir.isEmpty())
        return true;
    QDir().mkpath(dir);
    return w->grab().save(QDir(dir).filePath(name + QStringLiteral(".png")));
}

QObject *control(const QObject *screen, const char *name, const QMetaObject &type)
{
    const QString objectName = QString::fromLatin1(name);
    if (screen) {
        for (QObject *c : screen->findChildren<QObject *>(objectName))
            if (type.cast(c))
                return c;
    }
    qFatal("no control %s", name);
    return nullptr;
}

} // namespace kq::test
