// The only unit that calls the Windows API directly.
#include "platform.h"

#ifdef Q_OS_WIN
#include <qt_windows.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QDir>
#include <QUuid>

#include <cwchar>

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>
#endif

namespace qc::platform {

QString windowsDirectory()
{
#ifdef Q_OS_WIN
    wchar_t buffer[MAX_PATH + 1] = {};
    const UINT length = GetWindowsDirectoryW(buffer, MAX_PATH + 1);
    return QString::fromWCharArray(buffer, length <= MAX_PATH ? int(length) : 0);
#else
    return {};
#endif
}

StartShow startShowCommand()
{
#ifdef Q_OS_WIN
    STARTUPINFOW startup {};
    startup.cb = sizeof(startup);
    GetStartupInfoW(&startup);
    if (startup.dwFlags & STARTF_USESHOWWINDOW) {
        // A shortcut set to "Minimised" asks for 7; other launchers (start /min) ask for 2 or 6.
        if (startup.wShowWindow == SW_SHOWMINNOACTIVE || startup.wShowWindow == SW_SHOWMINIMIZED
            || startup.wShowWindow == SW_MINIMIZE)
            return StartShow::Minimized;
        if (startup.wShowWindow == SW_SHOWMAXIMIZED)
            return StartShow::Maximized;
    }
#endif
    return StartShow::Normal;
}

#ifdef Q_OS_WIN
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
#endif

void onRegionalSettingsChange(QObject *owner, const std::function<void()> &changed)
{
#ifdef Q_OS_WIN
    if (QCoreApplication::instance())
        new RegionalSettingsFilter(owner, changed);
#else
    Q_UNUSED(owner);
    Q_UNUSED(changed);
#endif
}

#ifdef Q_OS_WIN
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
#endif

void attachTaskbarEntry(QObject *owner, quintptr mainWindow, const QString &title)
{
#ifdef Q_OS_WIN
    if (QCoreApplication::instance() && mainWindow && !theTaskbarEntry) {
        auto *entry = new TaskbarEntry(owner, reinterpret_cast<HWND>(mainWindow), title);
        if (!entry->created())
            delete entry;
    }
#else
    Q_UNUSED(owner);
    Q_UNUSED(mainWindow);
    Q_UNUSED(title);
#endif
}

bool hasTaskbarEntry()
{
#ifdef Q_OS_WIN
    return theTaskbarEntry != nullptr;
#else
    return false;
#endif
}

void restoreFromTaskbarEntry()
{
#ifdef Q_OS_WIN
    if (theTaskbarEntry)
        theTaskbarEntry->restore();
#endif
}

bool minimizeToTaskbarEntry()
{
#ifdef Q_OS_WIN
    if (theTaskbarEntry) {
        theTaskbarEntry->minimize();
        return true;
    }
#endif
    return false;
}

#ifdef Q_OS_WIN
namespace {

constexpr UINT CodePage936 = 936;
constexpr char16_t Replacement = 0xFFFD;
// The code page's one single byte above 0x80 that is not the euro sign, a private-use character
// both ways; the system encodes it but does not decode it.
constexpr char PrivateUseByte = '\xff';
constexpr char16_t PrivateUseCharacter = 0xF8F5;

bool isLeadByte(unsigned char b)
{
    return b >= 0x81 && b <= 0xFE;
}

bool isTrailByte(unsigned char b)
{
    return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

// Characters the code page lacks that carry no visible text of their own (soft hyphen, joiners,
// direction marks, variation selectors, the byte-order mark ...): they are left out of the bytes
// rather than stored as "?", like the other builds of the program do.
bool isIgnorable(char32_t c)
{
    static constexpr std::pair<char32_t, char32_t> ranges[] = {
        { 0x00AD, 0x00AD },
        { 0x034F, 0x034F },
        { 0x061C, 0x061C },
        { 0x115F, 0x1160 },
        { 0x17B4, 0x17B5 },
        { 0x180B, 0x180F },
        { 0x200B, 0x200F },
        { 0x202A, 0x202E },
        { 0x2060, 0x206F },
        { 0x3164, 0x3164 },
        { 0xFE00, 0xFE0F },
        { 0xFEFF, 0xFEFF },
        { 0xFFA0, 0xFFA0 },
        { 0xFFF0, 0xFFF8 },
        { 0x1BCA0, 0x1BCA3 },
        { 0x1D173, 0x1D17A },
        { 0xE0000, 0xE0FFF },
    };
    return std::any_of(std::begin(ranges), std::end(ranges),
        [c](const auto &range) { return c >= range.first && c <= range.second; });
}

// One character of the code page, or none (an empty result).
QByteArray encodeCharacter(char16_t c)
{
    const auto wide = static_cast<wchar_t>(c);
    char bytes[2] = {};
    BOOL usedDefault = FALSE;
    const int size
        = WideCharToMultiByte(CodePage936, WC_NO_BEST_FIT_CHARS, &wide, 1, bytes, 2, "?", &usedDefault);
    if (size <= 0 || usedDefault)
        return {};
    return QByteArray(bytes, size);
}

} // namespace

QByteArray encodeCodePage936(QStringView text, bool *ok)
{
    bool stored = true;
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.unicode() < 0x80) {
            bytes += char(c.unicode());
            continue;
        }
        char32_t codePoint = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            codePoint = QChar::surrogateToUcs4(c, text[++i]);
        // Nothing outside the basic plane is in the code page; a lone surrogate is no character.
        const QByteArray character
            = codePoint <= 0xFFFF && !c.isSurrogate() ? encodeCharacter(char16_t(codePoint)) : QByteArray();
        if (character.isEmpty()) {
            stored = false;
            if (!isIgnorable(codePoint))
                bytes += '?';
        } else {
            bytes += character;
        }
    }
    if (ok)
        *ok = stored;
    return bytes;
}

QString decodeCodePage936(QByteArrayView bytes)
{
    // The byte structure is walked here: a lead byte with a trail byte is one character; a lead
    // byte without one is a bad byte (U+FFFD) and what follows it is read on its own. The system
    // converts only whole characters, so what it does with damaged bytes never matters.
    QString text;
    text.reserve(bytes.size());
    qsizetype i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            text += QChar(b);
            ++i;
            continue;
        }
        qsizetype length = 1;
        if (isLeadByte(b)) {
            if (i + 1 >= bytes.size() || !isTrailByte(static_cast<unsigned char>(bytes[i + 1]))) {
                text += QChar(Replacement);
                ++i;
                continue;
            }
            length = 2;
        }
        wchar_t wide[2] = {};
        const int size
            = MultiByteToWideChar(CodePage936, MB_ERR_INVALID_CHARS, bytes.data() + i, int(length), wide, 2);
        if (size == 1)
            text += QChar(char16_t(wide[0]));
        else if (length == 1 && bytes[i] == PrivateUseByte)
            text += QChar(PrivateUseCharacter);
        else
            text += QChar(Replacement);
        i += length;
    }
    return text;
}

bool folderRefusesNewFiles(const QString &folder)
{
    const QString probe = QDir::toNativeSeparators(QDir(folder).filePath(
        QStringLiteral("quorvelcal-%1.probe").arg(QUuid::createUuid().toString(QUuid::Id128))));
    const HANDLE file = CreateFileW(reinterpret_cast<const wchar_t *>(probe.utf16()), GENERIC_WRITE, 0,
        nullptr, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return false;
    }
    const DWORD error = GetLastError();
    return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT;
}
#endif

} // namespace qc::platform
