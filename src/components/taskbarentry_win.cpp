// The taskbar entry on Windows: a window class of its own, the entry's window and its procedure,
// and a procedure of the main window's that runs ahead of Qt's for the minimise command.
#include "taskbarentry.h"

#include <qt_windows.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QWidget>

#include <utility>
#include <vector>

namespace qc {

namespace {

// Messages the entry posts to itself: look again which windows are visible; hand on activation.
constexpr UINT CheckVisibility = WM_APP + 1;
constexpr UINT ForwardActivation = WM_APP + 2;
constexpr wchar_t TaskbarEntryClass[] = L"QuorvelCalTaskbarEntry";

// The window behind the taskbar entry: zero-size, unowned, never drawn. It owns the main window
// (which then has no entry of its own), and it watches the program's windows through the native
// event filter. Qt clears a window's owner whenever it shows one that has no transient parent,
// so the main window is made owned again each time it is about to be shown.
class TaskbarEntry final : public QObject, public QAbstractNativeEventFilter
{
public:
    TaskbarEntry(QObject *owner, HWND mainWindow, const QString &title);
    ~TaskbarEntry() override;
    TaskbarEntry(const TaskbarEntry &) = delete;
    TaskbarEntry &operator=(const TaskbarEntry &) = delete;

    bool created() const { return m_entry != nullptr; }
    void restore();
    void minimize();

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK mainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void own() const;
    void updateVisibility() const;
    void forwardActivation() const;
    void hideOwnedWindows();
    void showOwnedWindows();

    HWND m_main;
    HWND m_entry = nullptr;
    WNDPROC m_mainProc = nullptr; // the main window's own procedure, ahead of which ours runs
    std::vector<HWND> m_hiddenWithEntry; // what minimising the entry hid
};

TaskbarEntry *theTaskbarEntry = nullptr;

TaskbarEntry::TaskbarEntry(QObject *owner, HWND mainWindow, const QString &title)
    : QObject(owner)
    , m_main(mainWindow)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &TaskbarEntry::windowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = TaskbarEntryClass;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return;
    // A caption, a system menu and a minimise box: what the entry's menu offers.
    m_entry = CreateWindowExW(0, TaskbarEntryClass, reinterpret_cast<const wchar_t *>(title.utf16()),
        WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
        GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr, nullptr,
        instance, nullptr);
    if (!m_entry)
        return;
    // The entry shows the main window's icon.
    for (const WPARAM size : { WPARAM(ICON_BIG), WPARAM(ICON_SMALL) }) {
        if (const LRESULT icon = SendMessageW(m_main, WM_GETICON, size, 0))
            SendMessageW(m_entry, WM_SETICON, size, icon);
    }
    theTaskbarEntry = this;
    own();
    // The minimise command is sent to the window, past Qt's native event filters: it is seen to
    // ahead of the window's own procedure.
    m_mainProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(m_main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TaskbarEntry::mainWindowProc)));
    QCoreApplication::instance()->installNativeEventFilter(this);
    updateVisibility();
}

TaskbarEntry::~TaskbarEntry()
{
    if (!m_entry)
        return;
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
    // Windows destroys the windows a window owns with it: the main window is let go first.
    if (IsWindow(m_main)) {
        if (m_mainProc
            && GetWindowLongPtrW(m_main, GWLP_WNDPROC)
                == reinterpret_cast<LONG_PTR>(&TaskbarEntry::mainWindowProc))
            SetWindowLongPtrW(m_main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_mainProc));
        if (GetWindow(m_main, GW_OWNER) == m_entry)
            SetWindowLongPtrW(m_main, GWLP_HWNDPARENT, 0);
    }
    if (theTaskbarEntry == this)
        theTaskbarEntry = nullptr;
    DestroyWindow(m_entry);
}

void TaskbarEntry::own() const
{
    if (GetWindow(m_main, GW_OWNER) != m_entry)
        SetWindowLongPtrW(m_main, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(m_entry));
}

void TaskbarEntry::restore()
{
    if (IsIconic(m_entry))
        ShowWindow(m_entry, SW_RESTORE);
}

void TaskbarEntry::minimize()
{
    // The windows it owns are hidden with it and come back when it is restored.
    ShowWindow(m_entry, SW_MINIMIZE);
}

// Minimised, the entry hides the windows it owns, the main window and the boxes on it; restored,
// it shows them again. Windows does so itself; the hidden windows are seen to here as well, for
// the systems that leave it to the program.
void TaskbarEntry::hideOwnedWindows()
{
    struct Search
    {
        HWND entry;
        std::vector<HWND> *hidden;
    } search { m_entry, &m_hiddenWithEntry };
    m_hiddenWithEntry.clear();
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM parameter) -> BOOL {
            auto *s = reinterpret_cast<Search *>(parameter);
            if (hwnd != s->entry && IsWindowVisible(hwnd) && GetAncestor(hwnd, GA_ROOTOWNER) == s->entry)
                s->hidden->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    for (const HWND hwnd : m_hiddenWithEntry)
        ShowWindow(hwnd, SW_HIDE);
}

void TaskbarEntry::showOwnedWindows()
{
    const std::vector<HWND> hidden = std::exchange(m_hiddenWithEntry, {});
    for (const HWND hwnd : hidden) {
        if (IsWindow(hwnd) && !IsWindowVisible(hwnd))
            ShowWindow(hwnd, SW_SHOWNA);
    }
}

// The entry is there while any window of the program is visible (the main window, a box or
// dialog, also one shown while the main window is hidden); a minimised program keeps it.
void TaskbarEntry::updateVisibility() const
{
    if (IsIconic(m_entry))
        return;
    struct Search
    {
        HWND entry;
        bool found;
    } search { m_entry, false };
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM parameter) -> BOOL {
            auto *s = reinterpret_cast<Search *>(parameter);
            if (hwnd != s->entry && IsWindowVisible(hwnd)
                && !(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)) {
                s->found = true;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found != bool(IsWindowVisible(m_entry)))
        ShowWindow(m_entry, search.found ? SW_SHOWNOACTIVATE : SW_HIDE);
}

// Whoever activates the entry (its taskbar button, the task switcher) means the main window, or
// the topmost box open on it.
void TaskbarEntry::forwardActivation() const
{
    if (GetActiveWindow() != m_entry || IsIconic(m_entry))
        return;
    HWND target = GetLastActivePopup(m_main);
    if (!target || !IsWindowVisible(target) || !IsWindowEnabled(target))
        target = m_main;
    // A main window minimised on its own (started so by a shortcut) comes back first.
    if (target == m_main && IsIconic(m_main))
        ShowWindow(m_main, SW_RESTORE);
    if (IsWindowVisible(target))
        SetActiveWindow(target);
}

bool TaskbarEntry::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "windows_generic_MSG")
        return false;
    const auto *msg = static_cast<const MSG *>(message);
    if (msg->hwnd == m_main) {
        if ((msg->message == WM_SHOWWINDOW && msg->wParam)
            || (msg->message == WM_WINDOWPOSCHANGING
                && (reinterpret_cast<const WINDOWPOS *>(msg->lParam)->flags & SWP_SHOWWINDOW)))
            own();
    }
    if (msg->message == WM_SHOWWINDOW
        || (msg->message == WM_WINDOWPOSCHANGED
            && (reinterpret_cast<const WINDOWPOS *>(msg->lParam)->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW))))
        PostMessageW(m_entry, CheckVisibility, 0, 0);
    return false;
}

LRESULT CALLBACK TaskbarEntry::mainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    TaskbarEntry *entry = theTaskbarEntry && theTaskbarEntry->m_main == hwnd ? theTaskbarEntry : nullptr;
    if (!entry)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_MINIMIZE) {
        entry->minimize();
        return 0;
    }
    return CallWindowProcW(entry->m_mainProc, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK TaskbarEntry::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    TaskbarEntry *entry = theTaskbarEntry && theTaskbarEntry->m_entry == hwnd ? theTaskbarEntry : nullptr;
    if (entry) {
        switch (message) {
        case CheckVisibility:
            entry->updateVisibility();
            return 0;
        case ForwardActivation:
            entry->forwardActivation();
            return 0;
        case WM_SIZE:
            if (wParam == SIZE_MINIMIZED)
                entry->hideOwnedWindows();
            else if (wParam == SIZE_RESTORED)
                entry->showOwnedWindows();
            break;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE)
                PostMessageW(hwnd, ForwardActivation, 0, 0);
            return 0;
        case WM_CLOSE:
            // The entry's close command closes the main window, as its close box does.
            PostMessageW(entry->m_main, WM_CLOSE, 0, 0);
            return 0;
        default:
            break;
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace

void attachTaskbarEntry(QWidget *mainWindow, const QString &title)
{
    if (QCoreApplication::instance() && mainWindow && !theTaskbarEntry) {
        auto *entry = new TaskbarEntry(mainWindow, reinterpret_cast<HWND>(mainWindow->winId()), title);
        if (!entry->created())
            delete entry;
    }
}

bool hasTaskbarEntry()
{
    return theTaskbarEntry != nullptr;
}

void restoreFromTaskbarEntry()
{
    if (theTaskbarEntry)
        theTaskbarEntry->restore();
}

bool minimizeToTaskbarEntry()
{
    if (theTaskbarEntry) {
        theTaskbarEntry->minimize();
        return true;
    }
    return false;
}

} // namespace qc
