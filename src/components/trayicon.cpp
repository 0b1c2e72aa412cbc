#include "trayicon.h"

// Placeholder until the notification-area icon is built: keeps the properties only.

TTrayIcon::TTrayIcon(QObject *parent)
    : QObject(parent)
{ }

TTrayIcon::~TTrayIcon() = default;

void TTrayIcon::setActive(bool active)
{
    m_active = active;
}

void TTrayIcon::setIcon(const QIcon &icon)
{
    m_icon = icon;
}

void TTrayIcon::setToolTip(const QString &toolTip)
{
    m_toolTip = toolTip;
}
