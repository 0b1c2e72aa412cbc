// Faults of the Windows kind around the program's files: a file another program holds open without
// sharing it (a backup tool, an editor, a virus scanner) can be neither read nor replaced, and the
// user is told so while the file stays as it was; a note another program makes while ours is being
// written is kept; a failed write says what failed; leftovers of a crashed save go, others' stay; a
// program folder deeper than the old 260-character path limit keeps its files as any other does.
#include "core/birthdays.h"
#include "core/daynotes.h"
#include "core/errors.h"
#include "core/programdir.h"
#include "core/savefile.h"
#include "testsupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <qt_windows.h>

#include <aclapi.h>
#include <sddl.h>

using namespace qc;

namespace {

// Held open by the test as another program would hold it: no sharing of any kind.
class ExclusiveHandle
{
public:
    explicit ExclusiveHandle(const QString &path)
        : m_handle(CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()),
            GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
    { }
    ~ExclusiveHandle()
    {
        if (isOpen())
            CloseHandle(m_handle);
    }
    ExclusiveHandle(const ExclusiveHandle &) = delete;
    ExclusiveHandle &operator=(const ExclusiveHandle &) = delete;
    bool isOpen() const { return m_handle != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_handle;
};

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

// A file as a crashed save leaves it: last written a minute ago unless fresh.
bool leaveFile(const QString &path, bool fresh = false)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("left") == 4 && file.flush()
        && (fresh
            || file.setFileTime(
                QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
}

// The file's access list in the system's text form; empty when it can't be read.
QString accessList(const QString &path)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()),
            SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, nullptr, &descriptor)
        != ERROR_SUCCESS)
        return {};
    wchar_t *text = nullptr;
    QString result;
    if (ConvertSecurityDescriptorToStringSecurityDescriptorW(
            descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
        result = QString::fromWCharArray(text);
        LocalFree(text);
    }
    LocalFree(descriptor);
    return result;
}

bool setAccessList(const QString &path, const wchar_t *sddl)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr))
        return false;
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL access = nullptr;
    const bool set = GetSecurityDescriptorDacl(descriptor, &present, &access, &defaulted)
        && SetNamedSecurityInfoW(const_cast<wchar_t *>(reinterpret_cast<const wchar_t *>(
                                     QDir::toNativeSeparators(path).utf16())),
               SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
               nullptr, access, nullptr)
            == ERROR_SUCCESS;
    LocalFree(descriptor);
    return set;
}

} // namespace

class TestWindowsFaults : public QObject
{
    Q_OBJECT

private slots:
    void fileHeldWithoutSharing()
    {
        qctest::ProgramDir dir;
        const QString path = birthdayFilePath();
        const QByteArray old = qctest::settingsRecord(3) + qctest::birthdayRecord(1, 1, "old");
        QVERIFY(qctest::writeFile(path, old));
        {
            ExclusiveHandle held(path);
            QVERIFY(held.isOpen());
            try {
                loadBirthdayFile(path);
                QFAIL("a file held without sharing was read");
            } catch (const EInOutError &error) {
                QCOMPARE(error.errorCode(), IoError::FileInUse);
                QCOMPARE(error.message(),
                    QStringLiteral("生日文件“%1”无法读入：另一个程序正在使用这个文件，请关闭那个程序后再试")
                        .arg(QDir::toNativeSeparators(path)));
            }
            try {
                saveBirthdayFile(path, qctest::settingsRecord(9));
                QFAIL("a file held without sharing was replaced");
            } catch (const EInOutError &error) {
                QCOMPARE(error.errorCode(), IoError::FileInUse);
                QCOMPARE(error.message(),
                    QStringLiteral("“%1”正被另一个程序使用，无法替换，所以没有保存。请关闭那个程序后再试")
                        .arg(QDir::toNativeSeparators(path)));
            }
        }
        // Let go, the file is as it was and no temporary of the save is left beside it.
        QCOMPARE(qctest::readFile(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
            QStringList { QStringLiteral("quorvelcal.CFG") });
        const BirthdayFileContents contents = loadBirthdayFile(path);
        QCOMPARE(contents.remindDays.value_or(-1), 3);
    }

    // A birthday file made private stays so: the new one has the old one's access list, not the
    // folder's.
    void permissionsCarriedOver()
    {
        qctest::ProgramDir dir;
        const QString path = birthdayFilePath();
        QVERIFY(qctest::writeFile(path, qctest::settingsRecord(3)));
        const QString folders = accessList(path);
        QVERIFY(setAccessList(path, L"D:P(A;;FA;;;BA)(A;;FA;;;SY)"));
        const QString own = accessList(path);
        QVERIFY(!own.isEmpty());
        QVERIFY(own != folders);
        saveBirthdayFile(path, qctest::settingsRecord(9));
        QCOMPARE(qctest::readFile(path), qctest::settingsRecord(9));
        QCOMPARE(accessList(path), own);
    }

    // Another program makes the note while ours is being written: its note stays, ours goes, and
    // the editor opens the note that is there.
    void noteMadeMeanwhileIsKept()
    {
        qctest::ProgramDir dir;
        const QString note = dir.filePath(QStringLiteral("261209.QVN"));
        QString temporary;
        const ScopedSaveHooks hooks({ .step = [&](SaveStep step, int, const QByteArray &path) {
            temporary = QString::fromUtf8(path);
            if (step == SaveStep::Ready)
                QVERIFY(qctest::writeFile(note, "theirs"));
        } });
        EditorCommand started;
        const qctest::ScopedNoteLauncher launcher([&](const EditorCommand &command) { started = command; });
        openNote(2026, 12, 9);
        QVERIFY(temporary.startsWith(note + QStringLiteral(".qcsave-")));
        QCOMPARE(qctest::readFile(note), QByteArray("theirs"));
        QCOMPARE(started.nativeArguments, QDir::toNativeSeparators(note));
        QCOMPARE(filesIn(dir.path()), QStringList { QStringLiteral("261209.QVN") });
    }

    // A write that fails (Wine can't fill a disk: through the seam) says why, in the system's
    // words mapped to the program's; neither a note nor a temporary is left, the old list stays.
    void failedWriteSaysWhy_data()
    {
        QTest::addColumn<unsigned long>("systemError");
        QTest::addColumn<QString>("message");
        QTest::newRow("disk full") << static_cast<unsigned long>(ERROR_DISK_FULL)
                                   << QStringLiteral("Disk full");
        QTest::newRow("handle disk full")
            << static_cast<unsigned long>(ERROR_HANDLE_DISK_FULL) << QStringLiteral("Disk full");
        QTest::newRow("write fault") << static_cast<unsigned long>(ERROR_WRITE_FAULT)
                                     << QStringLiteral("I/O error 29");
        QTest::newRow("drive gone") << static_cast<unsigned long>(ERROR_DEV_NOT_EXIST)
                                    << QStringLiteral("I/O error 55");
    }
    void failedWriteSaysWhy()
    {
        QFETCH(unsigned long, systemError);
        QFETCH(QString, message);
        qctest::ProgramDir dir;
        const QString path = birthdayFilePath();
        QVERIFY(qctest::writeFile(path, qctest::settingsRecord(3)));
        const ScopedSaveHooks hooks({ .windowsWriteError = systemError });
        try {
            saveBirthdayFile(path, qctest::settingsRecord(9));
            QFAIL("a failed write passed for a save");
        } catch (const EInOutError &error) {
            QCOMPARE(error.message(), message);
        }
        try {
            openNote(2026, 12, 9);
            QFAIL("a failed write passed for a new note");
        } catch (const EInOutError &error) {
            QCOMPARE(error.message(),
                QStringLiteral("无法创建日志“%1”：%2")
                    .arg(QDir::toNativeSeparators(dir.filePath(QStringLiteral("261209.QVN"))), message));
        }
        QCOMPARE(qctest::readFile(path), qctest::settingsRecord(3));
        QCOMPARE(filesIn(dir.path()), QStringList { QStringLiteral("quorvelcal.CFG") });
    }

    // A crashed save's temporary goes at the next save of its file (a note's also at the next new
    // note); one in use, fresh, read-only, with a second name, or no plain file stays.
    void leftoversOfACrashedSave()
    {
        qctest::ProgramDir dir;
        const QString birthdays = birthdayFilePath();
        const QString ours = birthdays + QStringLiteral(".qcsave-AbcDef");
        const QString noteLeft = dir.filePath(QStringLiteral("261208.QVN.qcsave-XyzUvw"));
        const QString fresh = birthdays + QStringLiteral(".qcsave-FreshA");
        const QString held = birthdays + QStringLiteral(".qcsave-HeldAb");
        const QString readOnly = birthdays + QStringLiteral(".qcsave-ReadOn");
        const QString twoNames = birthdays + QStringLiteral(".qcsave-TwoNam");
        const QString folder = birthdays + QStringLiteral(".qcsave-Folder");
        for (const QString &path : { ours, noteLeft, held, readOnly, twoNames })
            QVERIFY(leaveFile(path));
        QVERIFY(leaveFile(fresh, true));
        QVERIFY(QFile::setPermissions(readOnly, QFileDevice::ReadOwner));
        QVERIFY(
            CreateHardLinkW(reinterpret_cast<const wchar_t *>(
                                QDir::toNativeSeparators(dir.filePath(QStringLiteral("elsewhere"))).utf16()),
                reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(twoNames).utf16()), nullptr));
        QVERIFY(QDir(dir.path()).mkdir(QFileInfo(folder).fileName()));
        const ExclusiveHandle holder(held);
        QVERIFY(holder.isOpen());

        saveBirthdayFile(birthdays, qctest::settingsRecord(3));
        QVERIFY(!QFile::exists(ours));
        QVERIFY(QFile::exists(noteLeft)); // not the birthday file's
        const qctest::ScopedNoteLauncher launcher([](const EditorCommand &) {});
        openNote(2026, 12, 9);
        QCOMPARE(filesIn(dir.path()),
            (QStringList { QStringLiteral("261209.QVN"), QStringLiteral("elsewhere"),
                QStringLiteral("quorvelcal.CFG"), QFileInfo(folder).fileName(), QFileInfo(fresh).fileName(),
                QFileInfo(held).fileName(), QFileInfo(readOnly).fileName(),
                QFileInfo(twoNames).fileName() }));
        QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    void programFolderBeyondThePathLimit()
    {
        QTemporaryDir top;
        QString folder = top.path();
        while (folder.size() < MAX_PATH + 20)
            folder += QStringLiteral("/日历记事本的文件夹_%1").arg(folder.size());
        QVERIFY(QDir().mkpath(folder));
        const qctest::ProgramDir dir(folder);

        // The birthday file is replaced whole and read back there.
        const QString path = birthdayFilePath();
        QVERIFY(QDir::toNativeSeparators(path).size() > MAX_PATH);
        const QByteArray contents = serializeBirthdayFile(4, { birthdayEntry(3, 7, qctest::ZhangSan) });
        saveBirthdayFile(path, contents);
        saveBirthdayFile(path, contents);
        QCOMPARE(qctest::readFile(path), contents);
        QCOMPARE(loadBirthdayFile(path).remindDays.value_or(-1), 4);

        // A note is made with its header, its size read, and Notepad given its whole path.
        EditorCommand started;
        const qctest::ScopedNoteLauncher launcher([&](const EditorCommand &command) { started = command; });
        openNote(2026, 12, 9);
        QCOMPARE(qctest::readFile(folder + QStringLiteral("/261209.QVN")), QByteArray("[At]2026-12-9\r\n"));
        QCOMPARE(noteSize(2026, 12, 9), 15);
        QVERIFY(started.nativeArguments.endsWith(
            QDir::toNativeSeparators(folder + QStringLiteral("/261209.QVN"))));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System),
            (QStringList { QStringLiteral("261209.QVN"), QStringLiteral("quorvelcal.CFG") }));
    }
};

QTEST_GUILESS_MAIN(TestWindowsFaults)
#include "tst_windowsfaults.moc"
