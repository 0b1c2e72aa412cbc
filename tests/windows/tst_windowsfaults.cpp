// Faults of the Windows kind around the program's files: a file another program holds open without
// sharing it (a backup tool, an editor, a virus scanner) can be neither read nor replaced, and the
// user is told so while the file stays as it was; a program folder deeper than the old 260-character
// path limit keeps its files as any other does.
#include "core/birthdays.h"
#include "core/daynotes.h"
#include "core/errors.h"
#include "core/programdir.h"
#include "testsupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <qt_windows.h>

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
                QCOMPARE(error.errorCode(), IoError::AccessDenied);
                QCOMPARE(error.message(),
                    QStringLiteral("生日文件“%1”无法读入：File access denied")
                        .arg(QDir::toNativeSeparators(path)));
            }
            try {
                saveBirthdayFile(path, qctest::settingsRecord(9));
                QFAIL("a file held without sharing was replaced");
            } catch (const EInOutError &error) {
                QCOMPARE(error.errorCode(), IoError::AccessDenied);
            }
        }
        // Let go, the file is as it was and no temporary of the save is left beside it.
        QCOMPARE(qctest::readFile(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
            QStringList { QStringLiteral("quorvelcal.CFG") });
        const BirthdayFileContents contents = loadBirthdayFile(path);
        QCOMPARE(contents.remindDays.value_or(-1), 3);
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
