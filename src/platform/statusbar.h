#pragma once

#include <QStatusBar>
#include <QVector>

class QLabel;

namespace kq::platform {

// A status bar of numbered panels (from 1).
class StatusBar : public QStatusBar
{
    Q_OBJECT
public:
    enum class PanelStyle { Text, CapsLock, Insert, Date, Time };

    explicit StatusBar(int panels = 1, QWidget *parent = nullptr);

    int addPanel();
    int panelCount() const { return int(m_panels.size()); }
    void setPanelText(int panel, const QString &text);
    QString panelText(int panel) const;
    void setPanelStyle(int panel, PanelStyle style);
    QLabel *panelLabel(int panel) const;

private:
    QVector<QLabel *> m_panels;
};

} // namespace kq::platform
