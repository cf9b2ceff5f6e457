#include "platform/screenregistry.h"

#include <QEvent>
#include <QEventLoop>
#include <QVariant>

namespace kq::platform {

ScreenRegistry &ScreenRegistry::instance()
{
    static ScreenRegistry registry;
    return registry;
}

void ScreenRegistry::registerScreen(const QString &name, Factory factory)
{
    m_factories.insert(name.toLower(), std::move(factory));
}

bool ScreenRegistry::isRegistered(const QString &name) const
{
    return m_factories.contains(name.toLower());
}

QWidget *ScreenRegistry::find(const QString &name) const
{
    const auto it = m_loaded.constFind(name.toLower());
    return it == m_loaded.constEnd() ? nullptr : it.value().data();
}

QWidget *ScreenRegistry::load(const QString &name)
{
    const QString key = name.toLower();
    if (QWidget *w = find(key))
        return w;
    const auto it = m_factories.constFind(key);
    if (it == m_factories.constEnd())
        return nullptr;
    // Registered before the factory runs its load steps would be nicer, but
    // a screen's load may look itself up only after construction.
    QWidget *w = it.value()();
    if (!w)
        return nullptr;
    w->setAttribute(Qt::WA_DeleteOnClose, true);
    m_loaded.insert(key, w);
    return w;
}

QWidget *ScreenRegistry::show(const QString &name)
{
    QWidget *w = load(name);
    if (!w)
        return nullptr;
    if (w->isMinimized())
        w->showNormal();
    else
        w->show();
    w->raise();
    w->activateWindow();
    return w;
}

int ScreenRegistry::showModal(const QString &name)
{
    QWidget *w = load(name);
    if (!w)
        return 0;
    return execModal(w);
}

void ScreenRegistry::unload(const QString &name)
{
    const QString key = name.toLower();
    QPointer<QWidget> w = m_loaded.take(key);
    if (w) {
        w->close();
        delete w.data();
    }
}

void ScreenRegistry::unloadAll()
{
    const QStringList keys = m_loaded.keys();
    for (const QString &k : keys)
        unload(k);
}

namespace {
class ModalWatcher : public QObject
{
public:
    explicit ModalWatcher(QEventLoop *loop)
        : m_loop(loop)
    {}
    QVariantMap properties;

    // Dynamic properties, and the declared ones the openers read.
    void capture(QObject *obj)
    {
        for (const QByteArray &name : obj->dynamicPropertyNames())
            properties.insert(QString::fromLatin1(name), obj->property(name.constData()));
        for (const char *name : {"modalResult", "LoginAceito"}) {
            const QVariant v = obj->property(name);
            if (v.isValid())
                properties.insert(QString::fromLatin1(name), v);
        }
    }

protected:
    bool eventFilter(QObject *obj, QEvent *event) override
    {
        if (event->type() == QEvent::Hide || event->type() == QEvent::Close) {
            // Read now: a screen that closes is deleted soon after.
            capture(obj);
            QMetaObject::invokeMethod(m_loop, "quit", Qt::QueuedConnection);
        }
        return QObject::eventFilter(obj, event);
    }

private:
    QEventLoop *m_loop;
};
} // namespace

int execModal(QWidget *widget, QVariantMap *properties)
{
    QPointer<QWidget> guard(widget);
    // Qt ignores a change of modality on a visible window.
    if (widget->isVisible())
        widget->hide();
    QEventLoop loop;
    ModalWatcher watcher(&loop);
    widget->installEventFilter(&watcher);
    QObject::connect(widget, &QObject::destroyed, &loop, &QEventLoop::quit);
    widget->setWindowModality(Qt::ApplicationModal);
    widget->show();
    widget->raise();
    widget->activateWindow();
    loop.exec(QEventLoop::DialogExec);
    if (guard) {
        guard->removeEventFilter(&watcher);
        guard->setWindowModality(Qt::NonModal);
        watcher.capture(guard);
    }
    if (properties)
        *properties = watcher.properties;
    return watcher.properties.value(QStringLiteral("modalResult")).toInt();
}

} // namespace kq::platform
