// The regional-settings announcement on Windows, seen in the native messages of the program's windows.
#include "regionalsettings.h"

#include <qt_windows.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QWidget>

#include <cwchar>
#include <utility>

namespace qc {

namespace {

// Sees the messages of every window of the program; Windows sends WM_SETTINGCHANGE with "intl"
// to each top-level window when the regional settings change.
class RegionalSettingsFilter final : public QObject, public QAbstractNativeEventFilter
{
public:
    RegionalSettingsFilter(QObject *owner, std::function<void()> changed)
        : QObject(owner)
        , m_changed(std::move(changed))
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~RegionalSettingsFilter() override
    {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }
    RegionalSettingsFilter(const RegionalSettingsFilter &) = delete;
    RegionalSettingsFilter &operator=(const RegionalSettingsFilter &) = delete;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        if (eventType != "windows_generic_MSG")
            return false;
        const auto *msg = static_cast<const MSG *>(message);
        if (msg->message == WM_SETTINGCHANGE && msg->lParam
            && std::wcscmp(reinterpret_cast<const wchar_t *>(msg->lParam), L"intl") == 0)
            m_changed();
        return false;
    }

private:
    std::function<void()> m_changed;
};

} // namespace

void onRegionalSettingsChange(QWidget *window, const std::function<void()> &changed)
{
    if (QCoreApplication::instance())
        new RegionalSettingsFilter(window, changed);
}

} // namespace qc
