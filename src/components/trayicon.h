// TTrayIcon: one icon with a tooltip in the desktop's notification area, reporting clicks on it.
// The desktop side sits behind qc::TrayShell, so tests (and desktops without a tray) can stand in for it.
#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace qc {

// What the notification area is told: the record is filled from the icon's current properties
// before every call, so changes made while the icon is away show when it comes back.
class TrayShell
{
public:
    enum class Message { Add, Modify, Delete };
    enum class Event { Click, DoubleClick, RightClick, ShowRequested };
    struct Record
    {
        QIcon icon;
        QString toolTip;
    };

    virtual ~TrayShell() = default;

    // Whether the desktop has a notification area right now; it may come and go while we run.
    virtual bool available() const = 0;
    // The result is not acted on: an icon that couldn't be shown simply isn't there.
    virtual void notify(Message message, const Record &record) = 0;

    // Set by the owning TTrayIcon; the shell reports what happened over the icon through it.
    std::function<void(Event)> onEvent;
};

// The system tray through QSystemTrayIcon, with a one-entry context menu leading back to the program
// for panels that open the menu instead of reporting a left click.
std::unique_ptr<TrayShell> createSystemTrayShell();

// The events one QSystemTrayIcon::ActivationReason stands for. A double click is to read as click,
// double click, click (each release counts); Qt reports the first click as Trigger and the second
// press as DoubleClick, and only Windows reports the final release as another Trigger. On Linux
// trays Qt reports a click when the button goes down, so there the events come on the press.
QList<TrayShell::Event> trayEventsFor(int activationReason);

// Tests replace the shell that every TTrayIcon created afterwards gets; an empty factory restores
// the system tray.
using TrayShellFactory = std::function<std::unique_ptr<TrayShell>()>;
void setTrayShellFactoryForTesting(TrayShellFactory factory);

} // namespace qc

class TTrayIcon : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE setActive)
    Q_PROPERTY(QString ToolTip READ ToolTip WRITE setToolTip)

public:
    explicit TTrayIcon(QObject *parent = nullptr);
    TTrayIcon(std::unique_ptr<qc::TrayShell> shell, QObject *parent = nullptr);
    ~TTrayIcon() override;

    bool Active() const { return m_active; }
    void setActive(bool active);

    QIcon Icon() const { return m_icon; }
    void setIcon(const QIcon &icon);

    // At most 62 bytes of code-page-936 text; a longer text is cut, never inside a character.
    QString ToolTip() const { return m_toolTip; }
    void setToolTip(const QString &toolTip);

    // False on a desktop without a notification area: an active icon is then invisible (it appears
    // by itself if an area turns up later), so the owner must not rely on it to bring a window back.
    bool isAvailable() const;

Q_SIGNALS:
    // Also raised by the icon's context-menu entry that asks for the program's window.
    void OnClick(QObject *sender);
    void OnDblClick(QObject *sender);
    void OnRightClick(QObject *sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

private:
    void update();
    void callShell(qc::TrayShell::Message message);
    void handleEvent(qc::TrayShell::Event event);

    bool m_active = false;
    QIcon m_icon;
    QString m_toolTip;
    std::unique_ptr<qc::TrayShell> m_shell;
};
