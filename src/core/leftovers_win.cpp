// The clean-up of leftovers on Windows: a temporary is checked and removed through one handle that
// shuts everyone else out, so nothing can be swapped in between.
#include "leftovers.h"
#include "savefile_p.h"

#include "winhandle.h"

#include <aclapi.h>

#include <QHash>
#include <QStringList>

#include <algorithm>
#include <mutex>

namespace qc {

namespace {

// Ten seconds in the file times' unit of 100 ns.
constexpr quint64 GraceTime = 10ULL * 10'000'000ULL;

// The target part of a name shaped like one of our temporaries, "<target>.qcsave-" and six
// letters; empty for any other name.
QStringView temporaryTarget(QStringView name)
{
    const QLatin1StringView mark(TemporaryMark);
    const qsizetype stem = name.size() - TemporaryLetters;
    if (stem <= mark.size() || name.sliced(stem - mark.size(), mark.size()) != mark)
        return {};
    const QStringView letters = name.sliced(stem);
    if (!std::all_of(letters.begin(), letters.end(),
            [](QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }))
        return {};
    return name.first(stem - mark.size());
}

// The user's own file: its owner is the user the program runs as, or the owner the system gives
// the user's new files (an administrators' group for an elevated program).
bool ownedByUser(HANDLE file)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(
            file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr, &descriptor)
        != ERROR_SUCCESS)
        return false;
    bool ours = false;
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        for (const TOKEN_INFORMATION_CLASS kind : { TokenUser, TokenOwner }) {
            DWORD size = 0;
            GetTokenInformation(token, kind, nullptr, 0, &size);
            QByteArray buffer(qsizetype(size), Qt::Uninitialized);
            if (size == 0 || !GetTokenInformation(token, kind, buffer.data(), size, &size))
                continue;
            // Both structures start with the SID they give.
            const PSID sid = kind == TokenUser ? reinterpret_cast<TOKEN_USER *>(buffer.data())->User.Sid
                                               : reinterpret_cast<TOKEN_OWNER *>(buffer.data())->Owner;
            if (EqualSid(owner, sid)) {
                ours = true;
                break;
            }
        }
        CloseHandle(token);
    }
    LocalFree(descriptor);
    return ours;
}

quint64 fileTime(const FILETIME &time)
{
    return (quint64(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

enum class Stale { Removed, Gone, NotYet, NotOurs };

// Opened without sharing, so that no one else holds it (a live save holds its temporary open) nor
// can open, rename or replace it while it is checked; removed through that same handle.
Stale removeIfStale(const QString &longFolder, const QString &name)
{
    const Handle file(
        CreateFileW(wide(longFolder + u'\\' + name), DELETE | READ_CONTROL | FILE_READ_ATTRIBUTES, 0, nullptr,
            OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.isValid()) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return Stale::Gone;
        return error == ERROR_SHARING_VIOLATION ? Stale::NotYet : Stale::NotOurs;
    }
    BY_HANDLE_FILE_INFORMATION info {};
    if (!GetFileInformationByHandle(file.h, &info))
        return Stale::NotOurs;
    // A plain file of one name: no folder, link, device or read-only file of somebody's.
    const DWORD notPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE
        | FILE_ATTRIBUTE_READONLY;
    if ((info.dwFileAttributes & notPlain) != 0 || info.nNumberOfLinks != 1 || !ownedByUser(file.h))
        return Stale::NotOurs;
    FILETIME now {};
    GetSystemTimeAsFileTime(&now);
    const quint64 written = fileTime(info.ftLastWriteTime);
    if (fileTime(now) < written || fileTime(now) - written < GraceTime)
        return Stale::NotYet; // perhaps another copy of the program saving right now
    FILE_DISPOSITION_INFO removal {};
    removal.DeleteFile = TRUE;
    return SetFileInformationByHandle(file.h, FileDispositionInfo, &removal, sizeof removal) ? Stale::Removed
                                                                                             : Stale::NotOurs;
}

// Names in a folder that are shaped like temporaries, read once per run, as elsewhere.
QStringList temporaryNamesIn(const QString &longFolder)
{
    QStringList names;
    WIN32_FIND_DATAW found {};
    const HANDLE search
        = FindFirstFileExW(wide(longFolder + QStringLiteral("\\*") + QLatin1StringView(TemporaryMark) + u'*'),
            FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const QString name = QString::fromWCharArray(found.cFileName);
        if (!temporaryTarget(name).isEmpty())
            names.append(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

} // namespace

void removeStaleTemporaries(const QString &longFolder, const QString &target, SiblingFilter alsoClean)
{
    static std::mutex guard;
    static QHash<QString, QStringList> pending; // folder → names still to look at
    const std::lock_guard<std::mutex> lock(guard);
    const QString key = longFolder.toCaseFolded();
    auto found = pending.find(key);
    if (found == pending.end())
        found = pending.insert(key, temporaryNamesIn(longFolder));
    QStringList &names = *found;
    for (qsizetype i = 0; i < names.size();) {
        const QStringView of = temporaryTarget(names.at(i));
        // Names differ in case alone on Windows only for people, not for the system.
        const bool wanted
            = of.compare(target, Qt::CaseInsensitive) == 0 || (alsoClean && alsoClean(of.toUtf8()));
        // Not yet stale ones are looked at again by the next save.
        if (wanted && removeIfStale(longFolder, names.at(i)) != Stale::NotYet)
            names.removeAt(i);
        else
            ++i;
    }
}

} // namespace qc
