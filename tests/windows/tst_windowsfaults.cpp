// Faults of the Windows kind around the birthday file: a file another program holds open without
// sharing it (a backup tool, an editor, a virus scanner) can be neither read nor replaced, and the
// user is told so while the file stays as it was.
#include "core/birthdays.h"
#include "core/errors.h"
#include "core/programdir.h"
#include "testsupport.h"

#include <QDir>
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

QByteArray record(int first, const QByteArray &rest = {})
{
    QByteArray bytes(BirthdayRecordSize, '\0');
    bytes[0] = char(first);
    bytes.replace(1, rest.size(), rest);
    return bytes;
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
        const QByteArray old = record(3) + record(1, QByteArray("\x01\x03old", 5));
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
                saveBirthdayFile(path, record(9));
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
};

QTEST_GUILESS_MAIN(TestWindowsFaults)
#include "tst_windowsfaults.moc"
