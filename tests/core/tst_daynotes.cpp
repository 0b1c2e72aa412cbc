// Day note files: names, the header of a new note, existing notes left alone, sizes, what the
// editor is given, and creation failures that must leave nothing behind.
#include "core/daynotes.h"
#include "core/errors.h"
#include "core/platform.h"
#include "core/programdir.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

namespace {

// Root ignores permission bits, but not the immutable attribute: the one way to have a note that
// really can't be written here.
bool setImmutable(const QString &path, bool on)
{
    return QProcess::execute(
               QStringLiteral("chattr"), { on ? QStringLiteral("+i") : QStringLiteral("-i"), path })
        == 0;
}

} // namespace

class TestDayNotes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_started.clear(); }

    void fileName_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::addColumn<QString>("name");
        QTest::newRow("1999-3-7") << 1999 << 3 << 7 << "990307.QVN";
        QTest::newRow("1999-12-31") << 1999 << 12 << 31 << "991231.QVN";
        QTest::newRow("1900-1-1") << 1900 << 1 << 1 << "000101.QVN";
        QTest::newRow("2000-1-1") << 2000 << 1 << 1 << "000101.QVN";
        QTest::newRow("2100-1-1") << 2100 << 1 << 1 << "000101.QVN";
    }
    void fileName()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, day);
        QFETCH(QString, name);
        QCOMPARE(qc::noteFileName(year, month, day), name);
    }

    void newNoteHoldsHeaderOnly_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("1999-3-7") << 1999 << 3 << 7 << QByteArray("[At]1999-3-7\r\n");
        QTest::newRow("1999-12-31") << 1999 << 12 << 31 << QByteArray("[At]1999-12-31\r\n");
    }
    void newNoteHoldsHeaderOnly()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, day);
        QFETCH(QByteArray, content);
        qctest::ProgramDir dir;
        QCOMPARE(qc::noteSize(year, month, day), 0);
        qc::openNote(year, month, day);
        const QString path = dir.filePath(qc::noteFileName(year, month, day));
        QCOMPARE(qctest::readFile(path), content);
        QCOMPARE(qc::noteSize(year, month, day), content.size());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList { qc::noteFileName(year, month, day) });
        QCOMPARE(m_started.size(), 1);
    }

    void centuriesShareOneNote()
    {
        qctest::ProgramDir dir;
        qc::openNote(2000, 1, 1);
        qc::openNote(1900, 1, 1);
        qc::openNote(2100, 1, 1);
        QCOMPARE(
            qctest::readFile(dir.filePath(QStringLiteral("000101.QVN"))), QByteArray("[At]2000-1-1\r\n"));
        QCOMPARE(m_started.size(), 3);
        QCOMPARE(qc::noteSize(2100, 1, 1), 14);
    }

    void existingNoteUntouched_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("immutable");
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("text") << QByteArray("[At]1999-3-7\r\n\xc8\xd5\xbc\xc7 notes\r\nno newline") << false;
        QTest::newRow("read-only") << QByteArray("kept as it is\r\n") << true;
    }
    void existingNoteUntouched()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, immutable);
        qctest::ProgramDir dir;
        const QString path = dir.filePath(QStringLiteral("990307.QVN"));
        QVERIFY(qctest::writeFile(path, content));
        if (immutable && !setImmutable(path, true))
            QSKIP("the file system offers no way to make a file unwritable for root");
        const auto restore = qScopeGuard([&] {
            if (immutable)
                setImmutable(path, false);
        });
        // The size needs read access only: a note that can't be written still shows its length.
        QCOMPARE(qc::noteSize(1999, 3, 7), content.size());
        qc::openNote(1999, 3, 7);
        qc::openNote(1999, 3, 7);
        QCOMPARE(qctest::readFile(path), content);
        QCOMPARE(m_started.size(), 2);
    }

    void sizeOfMissingOrNonFileIsZero()
    {
        qctest::ProgramDir dir;
        QCOMPARE(qc::noteSize(1999, 3, 7), 0);
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("990307.QVN")));
        QCOMPARE(qc::noteSize(1999, 3, 7), 0);
    }

    void editorGetsThePathAsOneArgument_data()
    {
        QTest::addColumn<QString>("subdirectory");
        QTest::newRow("plain") << "notes";
        QTest::newRow("spaces") << "my  notes; $(x) 'q'";
        QTest::newRow("chinese") << "日历 记事本";
    }
    void editorGetsThePathAsOneArgument()
    {
        QFETCH(QString, subdirectory);
        qctest::ProgramDir dir;
        QVERIFY(QDir(dir.path()).mkdir(subdirectory));
        const QString directory = dir.filePath(subdirectory);
        const qctest::ProgramDir inside(directory);
        qc::openNote(1999, 12, 31);
        const QString path = directory + QStringLiteral("/991231.QVN");
        QCOMPARE(qctest::readFile(path), QByteArray("[At]1999-12-31\r\n"));
        QCOMPARE(m_started.size(), 1);
#ifdef Q_OS_WIN
        // Notepad from the Windows directory, the path as the whole unquoted command tail.
        QVERIFY(!qc::platform::windowsDirectory().isEmpty());
        QCOMPARE(m_started[0].program, qc::platform::windowsDirectory() + QStringLiteral("\\NOTEPAD.EXE"));
        QCOMPARE(m_started[0].arguments, QStringList());
        QCOMPARE(m_started[0].nativeArguments, QDir::toNativeSeparators(path));
#else
        QCOMPARE(m_started[0].program, QStringLiteral("xdg-open"));
        QCOMPARE(m_started[0].arguments, QStringList { path });
#endif
    }

    void creationFailureLeavesNothing()
    {
        qctest::ProgramDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("990307.QVN")));
        try {
            qc::openNote(1999, 3, 7);
            QFAIL("a directory in the note's place must not pass for a note");
        } catch (const qc::EInOutError &error) {
            QCOMPARE(error.message(), QStringLiteral("File access denied"));
        }
        QVERIFY(m_started.isEmpty());
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("990307.QVN"))).isDir());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList());
    }

    void unwritableDirectoryReportsAndStartsNothing()
    {
        qctest::ProgramDir dir;
        const qctest::ProgramDir unwritable(QStringLiteral("/proc"));
        QVERIFY_THROWS_EXCEPTION(qc::EInOutError, qc::openNote(1999, 3, 7));
        QVERIFY(m_started.isEmpty());
        QVERIFY(!QFileInfo::exists(QStringLiteral("/proc/990307.QVN")));
        QCOMPARE(qc::noteSize(1999, 3, 7), 0);
    }

    void immutableDirectoryReportsAccessDenied()
    {
        qctest::ProgramDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("locked")));
        const QString locked = dir.filePath(QStringLiteral("locked"));
        if (!setImmutable(locked, true))
            QSKIP("the file system offers no way to make a directory unwritable for root");
        const auto restore = qScopeGuard([&] { setImmutable(locked, false); });
        const qctest::ProgramDir inside(locked);
        try {
            qc::openNote(1999, 3, 7);
            QFAIL("creating a note in an unwritable directory must fail");
        } catch (const qc::EInOutError &error) {
            QCOMPARE(error.errorCode(), qc::IoError::AccessDenied);
            QCOMPARE(error.message(),
                QStringLiteral("无法创建日志“%1”：File access denied")
                    .arg(locked + QStringLiteral("/990307.QVN")));
        }
        QVERIFY(m_started.isEmpty());
        QCOMPARE(
            QDir(locked).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }

private:
    QList<qc::EditorCommand> m_started;
    qctest::ScopedNoteLauncher m_launcher { [this](const qc::EditorCommand &command) {
        m_started.append(command);
    } };
};

QTEST_GUILESS_MAIN(TestDayNotes)
#include "tst_daynotes.moc"
