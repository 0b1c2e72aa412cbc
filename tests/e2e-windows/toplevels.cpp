// The Windows roads' eyes on the desktop: prints one JSON line per top-level window (its handle,
// caption, program, owner, whether its caption has an icon, whether it is visible, minimised and
// listed by the taskbar, its client area and minimise box on the screen), then one per button of
// the shell's taskbar (the window it stands for, whether it shows, where). Win32 alone, linked
// statically, so it runs in any prefix.
// "toplevels --short-date FORMAT" changes the regional settings' short date format instead, and
// prints the one it replaced.
#include <windows.h>

#include <string>

namespace {

std::string utf8(const wchar_t *text, int length)
{
    if (length <= 0)
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(size_t(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
    return out;
}

std::string quoted(const std::string &text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            static const char digits[] = "0123456789abcdef";
            out += "\\u00";
            out += digits[(c >> 4) & 0xF];
            out += digits[c & 0xF];
        } else {
            out += c;
        }
    }
    return out + '"';
}

std::string handle(HWND hwnd)
{
    return std::to_string(reinterpret_cast<ULONG_PTR>(hwnd));
}

// What the taskbar lists: visible top-level windows that ask for a button, or are neither owned
// nor tool windows.
bool listed(HWND hwnd)
{
    const LONG_PTR exStyle = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
    if (!IsWindowVisible(hwnd))
        return false;
    if (exStyle & WS_EX_APPWINDOW)
        return true;
    return !(exStyle & WS_EX_TOOLWINDOW) && !GetWindow(hwnd, GW_OWNER);
}

// The file name of the program that made the window.
std::string programOf(HWND hwnd)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process)
        return {};
    wchar_t path[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    const BOOL known = QueryFullProcessImageNameW(process, 0, path, &length);
    CloseHandle(process);
    if (!known)
        return {};
    const wchar_t *name = path;
    for (const wchar_t *c = path; *c; ++c) {
        if (*c == L'\\' || *c == L'/')
            name = c + 1;
    }
    return utf8(name, int(path + length - name));
}

void write(const std::string &line)
{
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), DWORD(text.size()), &written, nullptr);
}

// The point of the window's minimise box, as the window itself answers a hit test along the middle
// of its caption; none (-1, -1) where it has no such box or is not shown.
POINT minimiseBox(HWND hwnd)
{
    RECT frame {};
    if (!IsWindowVisible(hwnd) || IsIconic(hwnd) || !(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_MINIMIZEBOX)
        || !GetWindowRect(hwnd, &frame))
        return { -1, -1 };
    POINT client { 0, 0 };
    ClientToScreen(hwnd, &client);
    const int y = (frame.top + client.y) / 2;
    for (int x = frame.right - 1; x > frame.left; --x) {
        DWORD_PTR hit = 0;
        if (SendMessageTimeoutW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 2000, &hit)
            && hit == HTMINBUTTON)
            return { x - 3, y };
    }
    return { -1, -1 };
}

// Whether Windows draws an icon in the window's caption: a caption with a system menu shows one
// (the window's own, else its class's or the default), except in a dialog frame, which shows only
// an icon given to the window itself.
bool hasIcon(HWND hwnd)
{
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    if ((style & WS_CAPTION) != WS_CAPTION || !(style & WS_SYSMENU))
        return false;
    if (!(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME))
        return true;
    for (const WPARAM size : { ICON_SMALL, ICON_BIG }) {
        DWORD_PTR icon = 0;
        if (SendMessageTimeoutW(hwnd, WM_GETICON, size, 0, SMTO_ABORTIFHUNG, 2000, &icon) && icon)
            return true;
    }
    return false;
}

BOOL CALLBACK describe(HWND hwnd, LPARAM)
{
    wchar_t caption[512] = {};
    wchar_t className[256] = {};
    const int captionLength = GetWindowTextW(hwnd, caption, 512);
    const int classLength = GetClassNameW(hwnd, className, 256);
    RECT client {};
    GetClientRect(hwnd, &client);
    POINT origin { 0, 0 };
    ClientToScreen(hwnd, &origin);
    const POINT box = minimiseBox(hwnd);
    write("{\"hwnd\": " + handle(hwnd) + ", \"caption\": " + quoted(utf8(caption, captionLength))
        + ", \"class\": " + quoted(utf8(className, classLength)) + ", \"program\": " + quoted(programOf(hwnd))
        + ", \"owner\": " + handle(GetWindow(hwnd, GW_OWNER)) + ", \"icon\": "
        + (hasIcon(hwnd) ? "true" : "false") + ", \"visible\": " + (IsWindowVisible(hwnd) ? "true" : "false")
        + ", \"minimised\": " + (IsIconic(hwnd) ? "true" : "false")
        + ", \"listed\": " + (listed(hwnd) ? "true" : "false") + ", \"x\": " + std::to_string(origin.x)
        + ", \"y\": " + std::to_string(origin.y) + ", \"width\": " + std::to_string(client.right)
        + ", \"height\": " + std::to_string(client.bottom) + ", \"minimise box\": [" + std::to_string(box.x)
        + ", " + std::to_string(box.y) + "]}");
    return TRUE;
}

// The shell's taskbar keeps one button a window, its control identifier the window's handle
// (none for the start button).
BOOL CALLBACK describeButton(HWND button, LPARAM)
{
    wchar_t className[64] = {};
    GetClassNameW(button, className, 64);
    if (lstrcmpiW(className, L"Button") != 0)
        return TRUE;
    RECT box {};
    GetWindowRect(button, &box);
    write("{\"button for\": " + std::to_string(GetWindowLongPtrW(button, GWLP_ID))
        + ", \"visible\": " + (IsWindowVisible(button) ? "true" : "false")
        + ", \"x\": " + std::to_string((box.left + box.right) / 2)
        + ", \"y\": " + std::to_string((box.top + box.bottom) / 2) + "}");
    return TRUE;
}

} // namespace

// The regional settings' panel changing the short date format: set, then announced to every
// top-level window. Prints the format it replaces.
int changeShortDate(const char *format)
{
    wchar_t previous[80] = {};
    const int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, previous, 80);
    write(utf8(previous, length > 0 ? length - 1 : 0));
    wchar_t wide[80] = {};
    if (!MultiByteToWideChar(CP_ACP, 0, format, -1, wide, 80)
        || !SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, wide))
        return 1;
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"intl"),
        SMTO_ABORTIFHUNG, 5000, &ignored);
    return 0;
}

int main(int argc, char *argv[])
{
    if (argc == 3 && lstrcmpA(argv[1], "--short-date") == 0)
        return changeShortDate(argv[2]);
    if (const HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr)) {
        // The shell brings its buttons up to date when a top-level window comes or goes: one that
        // comes and goes at once has it look again before they are read.
        const HWND nudge = CreateWindowExW(WS_EX_TOOLWINDOW, L"Static", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
            nullptr, GetModuleHandleW(nullptr), nullptr);
        if (nudge)
            DestroyWindow(nudge);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(tray, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
        Sleep(200);
        EnumWindows(describe, 0);
        EnumChildWindows(tray, describeButton, 0);
    } else {
        EnumWindows(describe, 0);
    }
    return 0;
}
