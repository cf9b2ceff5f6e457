#pragma once

#include <QHash>
#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <QWidget>
#include <functional>

namespace kq::platform {

// One shared instance per screen name. A screen that closes is unloaded
// (deleted); the next show makes it anew.
class ScreenRegistry
{
public:
    using Factory = std::function<QWidget *()>;

    static ScreenRegistry &instance();

    void registerScreen(const QString &name, Factory factory);
    bool isRegistered(const QString &name) const;

    // The loaded instance, or nullptr.
    QWidget *find(const QString &name) const;
    // Loads the screen hidden if it is not loaded (nullptr when unknown).
    QWidget *load(const QString &name);
    // Modeless: loads, shows, brings to the front.
    QWidget *show(const QString &name);
    // Modal: loads and shows, returns when it is closed; the screen's
    // "modalResult" property (int) is the result (0 when unset).
    int showModal(const QString &name);
    // Closes and deletes the loaded instance.
    void unload(const QString &name);
    void unloadAll();

    template<class T>
    T *get(const QString &name)
    {
        return qobject_cast<T *>(load(name));
    }

private:
    QHash<QString, Factory> m_factories;
    QHash<QString, QPointer<QWidget>> m_loaded;
};

// Shows any widget modally and waits until it is hidden or deleted. Returns
// its "modalResult" property; `properties` gets its dynamic properties as
// they were when it closed (the widget may be gone by then).
int execModal(QWidget *widget, QVariantMap *properties = nullptr);

} // namespace kq::platform
