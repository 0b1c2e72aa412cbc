// TTrayIcon: one icon with a tooltip in the desktop's notification area, reporting clicks on it.
#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

class QSystemTrayIcon;

class TTrayIcon : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE setActive)
    Q_PROPERTY(QString ToolTip READ ToolTip WRITE setToolTip)

public:
    explicit TTrayIcon(QObject *parent = nullptr);
    ~TTrayIcon() override;

    bool Active() const { return m_active; }
    void setActive(bool active);

    QIcon Icon() const { return m_icon; }
    void setIcon(const QIcon &icon);

    // At most 62 bytes of code-page-936 text; a longer text is cut, never inside a character.
    QString ToolTip() const { return m_toolTip; }
    void setToolTip(const QString &toolTip);

Q_SIGNALS:
    void OnClick(QObject *sender);
    void OnDblClick(QObject *sender);
    void OnRightClick(QObject *sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

private:
    bool m_active = false;
    QIcon m_icon;
    QString m_toolTip;
    QSystemTrayIcon *m_tray = nullptr;
};
