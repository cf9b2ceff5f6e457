#include "platform/statusbar.h"

#include <QDate>
#include <QLabel>
#include <QTime>

namespace kq::platform {

StatusBar::StatusBar(int panels, QWidget *parent)
    : QStatusBar(parent)
{
    setSizeGripEnabled(false);
    for (int i = 0; i < panels; ++i)
        addPanel();
}

int StatusBar::addPanel()
{
    auto *label = new QLabel(this);
    label->setObjectName(QStringLiteral("Panel%1").arg(m_panels.size() + 1));
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMinimumWidth(40);
    addPermanentWidget(label, m_panels.isEmpty() ? 1 : 0);
    m_panels.append(label);
    return int(m_panels.size());
}

QLabel *StatusBar::panelLabel(int panel) const
{
    return panel >= 1 && panel <= m_panels.size() ? m_panels.at(panel - 1) : nullptr;
}

void StatusBar::setPanelText(int panel, const QString &text)
{
    if (QLabel *l = panelLabel(panel))
        l->setText(text);
}

QString StatusBar::panelText(int panel) const
{
    const QLabel *l = panelLabel(panel);
    return l ? l->text() : QString();
}

void StatusBar::setPanelStyle(int panel, PanelStyle style)
{
    QLabel *l = panelLabel(panel);
    if (!l)
        return;
    switch (style) {
    case PanelStyle::Text:
        break;
    case PanelStyle::CapsLock:
        l->setText(QStringLiteral("CAPS"));
        break;
    case PanelStyle::Insert:
        l->setText(QStringLiteral("INS"));
        break;
    case PanelStyle::Date:
        l->setText(QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")));
        break;
    case PanelStyle::Time:
        l->setText(QTime::currentTime().toString(QStringLiteral("hh:mm")));
        break;
    }
}

} // namespace kq::platform
