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
