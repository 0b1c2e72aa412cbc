// TTrayIcon and the system tray shell it talks to by default.
#include "trayicon.h"

#include "core/cp936.h"
#include "guard.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QSystemTrayIcon>

namespace qc {

namespace {

constexpr qsizetype toolTipBytes = 62;

class SystemTrayShell final : public TrayShell
{
public:
    SystemTrayShell()
    {
        m_menu.addAction(QStringLiteral("显示主窗口(&S)"), [this] { report(Event::ShowRequested); });
        m_tray.setContextMenu(&m_menu);
        QObject::connect(
            &m_tray, &QSystemTrayIcon::activated, &m_menu, [this](QSystemTrayIcon::ActivationReason reason) {
                const QList<Event> events = trayEventsFor(reason);
                for (const Event event : events)
                    report(event);
            });
    }

    bool available() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }

    void notify(Message message, const Record &record) override
    {
        m_tray.setIcon(record.icon);
        m_tray.setToolTip(record.toolTip);
        if (message == Message::Add && showable())
            m_tray.show();
        else if (message == Message::Delete)
            m_tray.hide();
    }

private:
    // On X11 Qt keeps an icon shown without a notification area pending and puts it up when an
    // area appears. Elsewhere (Wayland) it would only warn, and never use an area that came later.
    bool showable() const { return available() || QGuiApplication::platformName() == QLatin1String("xcb"); }

    void report(Event event)
    {
        if (onEvent)
            onEvent(event);
    }

    // The menu outlives the icon that refers to it.
    QMenu m_menu;
    QSystemTrayIcon m_tray;
};

TrayShellFactory &shellFactory()
{
    static TrayShellFactory factory;
    return factory;
}

} // namespace

std::unique_ptr<TrayShell> createSystemTrayShell()
{
    return std::make_unique<SystemTrayShell>();
}

QList<TrayShell::Event> trayEventsFor(int activationReason)
{
    switch (activationReason) {
    case QSystemTrayIcon::Trigger:
        return { TrayShell::Event::Click };
    case QSystemTrayIcon::DoubleClick:
#ifdef Q_OS_WIN
        return { TrayShell::Event::DoubleClick };
#else
        return { TrayShell::Event::DoubleClick, TrayShell::Event::Click };
#endif
    case QSystemTrayIcon::Context:
        return { TrayShell::Event::RightClick };
    default:
        return {};
    }
}

void setTrayShellFactoryForTesting(TrayShellFactory factory)
{
    shellFactory() = std::move(factory);
}

} // namespace qc

TTrayIcon::TTrayIcon(QObject *parent)
    : TTrayIcon(qc::shellFactory() ? qc::shellFactory()() : qc::createSystemTrayShell(), parent)
{ }

TTrayIcon::TTrayIcon(std::unique_ptr<qc::TrayShell> shell, QObject *parent)
    : QObject(parent)
    , m_shell(std::move(shell))
{
    m_shell->onEvent = [this](qc::TrayShell::Event event) { qc::guarded([&] { handleEvent(event); }); };
}

TTrayIcon::~TTrayIcon()
{
    m_shell->onEvent = nullptr;
    if (m_active)
        callShell(qc::TrayShell::Message::Delete);
}

void TTrayIcon::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    callShell(active ? qc::TrayShell::Message::Add : qc::TrayShell::Message::Delete);
}

void TTrayIcon::setIcon(const QIcon &icon)
{
    m_icon = icon;
    update();
}

void TTrayIcon::setToolTip(const QString &toolTip)
{
    m_toolTip = qc::cp936::cutText(toolTip, qc::toolTipBytes);
    update();
}

bool TTrayIcon::isAvailable() const
{
    return m_shell->available();
}

void TTrayIcon::update()
{
    if (m_active)
        callShell(qc::TrayShell::Message::Modify);
}

void TTrayIcon::callShell(qc::TrayShell::Message message)
{
    m_shell->notify(message, { m_icon, m_toolTip });
}

void TTrayIcon::handleEvent(qc::TrayShell::Event event)
{
    switch (event) {
    case qc::TrayShell::Event::Click:
    case qc::TrayShell::Event::ShowRequested:
        Q_EMIT OnClick(this);
        break;
    case qc::TrayShell::Event::DoubleClick:
        Q_EMIT OnDblClick(this);
        break;
    case qc::TrayShell::Event::RightClick: {
        const QPoint at = QCursor::pos();
        Q_EMIT OnRightClick(this, Qt::RightButton, Qt::NoModifier, at.x(), at.y());
        break;
    }
    }
}
