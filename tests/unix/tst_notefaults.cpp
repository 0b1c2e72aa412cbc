// Fault tests of the day notes: the program never truncates or overwrites a note, not even one
// another program creates at the same moment; a note it can't create whole (a full disk, a
// read-only file system) is not created at all, so no empty or half-written note is later taken for
// the user's own; and nothing in a note's place (a folder, a pipe, a device) can hang it.
#include "core/daynotes.h"
#include "core/errors.h"
#include "core/programdir.h"
#include "core/savefile.h"
#include "scratchfs.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <sys/stat.h>
#include <unistd.h>

class TestNoteFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_started = 0; }

    void existingNoteNeverWritten_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("header only") << qc::noteHeader(2023, 6, 15) << false;
        QTest::newRow("other header") << QByteArrayLiteral("[At]1999-01-01\r\n") << false;
        QTest::newRow("long text") << QByteArray(200000, 'n') << false;
        QTest::newRow("binary") << QByteArray("\0\xff\r\n\x1a", 5) << false;
        QTest::newRow("marked read-only") << QByteArrayLiteral("mine") << true;
    }
    void existingNoteNeverWritten()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, readOnly);
        qctest::ProgramDir dir;
        const QString path = qc::notePath(dir.path(), 2023, 6, 15);
        {
            QFile note(path);
            QVERIFY(note.open(QIODevice::WriteOnly));
            QCOMPARE(note.write(content), content.size());
        }
        if (readOnly)
            QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
        const QDateTime modified = QFileInfo(path).lastModified();

        QCOMPARE(qc::noteSize(2023, 6, 15), content.size());
        qc::openNote(2023, 6, 15);
        qc::openNote(2123, 6, 15); // a century later: the same note

        QCOMPARE(m_started, 2);
        QCOMPARE(qctest::readFile(path), content);
        QCOMPARE(QFileInfo(path).lastModified(), modified);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void noteThatCannotBeCreatedIsNotCreated_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<int>("errorCode");
        QTest::newRow("disk full") << false << qc::IoError::DiskFull;
        QTest::newRow("read-only file system") << true << qc::IoError::AccessDenied;
    }
    void noteThatCannotBeCreatedIsNotCreated()
    {
        QFETCH(bool, readOnly);
        QFETCH(int, errorCode);
        qctest::ScratchProgramDir fs;
        const QString dir = fs.path();
        if (!fs.mount(16))
            QSKIP(fs.NoScratchFs);
        QVERIFY(readOnly ? fs.remountReadOnly() : fs.fill());

        int code = 0;
        try {
            qc::openNote(2023, 6, 15);
        } catch (const qc::EInOutError &error) {
            code = error.errorCode();
        }
        QCOMPARE(code, errorCode);
        QCOMPARE(m_started, 0);
        QVERIFY(!QFileInfo::exists(qc::notePath(dir, 2023, 6, 15)));
        const QStringList left = QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        QCOMPARE(left, readOnly ? QStringList() : QStringList { QStringLiteral("filler") });
    }

    void notAFileInTheNotesPlace_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind : { "folder", "named pipe", "link to /dev/zero", "link to nothing" })
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void notAFileInTheNotesPlace()
    {
        QFETCH(QString, kind);
        qctest::ProgramDir dir;
        const QString path = qc::notePath(dir.path(), 2023, 6, 15);
        if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(path));
        else if (kind == QLatin1String("named pipe"))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0666), 0);
        else if (kind == QLatin1String("link to /dev/zero"))
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        else // a drive or a sync folder not connected
            QVERIFY(QFile::link(dir.filePath(QStringLiteral("sync/230615.QVN")), path));

        QCOMPARE(qc::noteSize(2023, 6, 15), 0); // returns at once: nothing waits on the pipe
        int code = 0;
        QString message;
        try {
            qc::openNote(2023, 6, 15);
        } catch (const qc::EInOutError &error) {
            code = error.errorCode();
            message = error.message();
        }
        QCOMPARE(code, qc::IoError::AccessDenied);
        QCOMPARE(m_started, 0);
        if (kind == QLatin1String("link to nothing")) {
            QCOMPARE(message,
                QStringLiteral("日志“%1”是一个链接，它指向的“%2”不存在，所以没有打开")
                    .arg(path, dir.filePath(QStringLiteral("sync/230615.QVN"))));
            QVERIFY(QFileInfo(path).isSymLink());
            QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("sync"))));
        }
    }

    // A program killed between giving a note its name and dropping its temporary's leaves the
    // temporary as a second name of the note. The next note created removes it and other notes'
    // stale temporaries, and never a note, nor a look-alike that is somebody else's.
    void temporariesBesideNotes()
    {
        qctest::ProgramDir dir;
        QTemporaryDir elsewhere;
        QVERIFY(elsewhere.isValid());
        const QString note = qc::notePath(dir.path(), 2023, 6, 15);
        const QString theirs = elsewhere.filePath(QStringLiteral("theirs"));
        QVERIFY(qctest::writeFile(note, qc::noteHeader(2023, 6, 15) + "written since"));
        QVERIFY(qctest::writeFile(theirs, "theirs"));
        QVERIFY(qctest::writeFile(dir.filePath(QStringLiteral("230616.QVN.qcsave-XyzUvw")), "[At]"));
        QVERIFY(QFile::link(note, note + QStringLiteral(".qcsave-AbcDef")));
        QCOMPARE(::link(QFile::encodeName(note).constData(),
                     QFile::encodeName(note + QStringLiteral(".qcsave-KlmNop")).constData()),
            0);
        QCOMPARE(::link(QFile::encodeName(theirs).constData(),
                     QFile::encodeName(dir.filePath(QStringLiteral("230617.QVN.qcsave-QrsTuv"))).constData()),
            0);
        const QDateTime longAgo = QDateTime::currentDateTime().addSecs(-60);
        for (const QString &name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden)) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly)
                && file.setFileTime(longAgo, QFileDevice::FileModificationTime));
        }

        qc::openNote(2023, 6, 18);

        QCOMPARE(
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
            QStringList({ QStringLiteral("230615.QVN"), QStringLiteral("230615.QVN.qcsave-AbcDef"),
                QStringLiteral("230617.QVN.qcsave-QrsTuv"), QStringLiteral("230618.QVN") }));
        QCOMPARE(qctest::readFile(note), qc::noteHeader(2023, 6, 15) + "written since");
        QCOMPARE(qctest::readFile(theirs), QByteArray("theirs"));
        QCOMPARE(qctest::readFile(qc::notePath(dir.path(), 2023, 6, 18)), qc::noteHeader(2023, 6, 18));
    }

    // Another program creates the same notes at the same time, each only where none exists yet:
    // every note it made is still its own at the end.
    void noteCreatedMeanwhileWins()
    {
        qctest::ProgramDir dir;
        QProcess other;
        other.start(
            QCoreApplication::applicationFilePath(), { QStringLiteral("--create-notes"), dir.path() });
        QVERIFY(other.waitForStarted());
        for (QDate date(2020, 1, 1); date.year() < 2023; date = date.addDays(1))
            qc::openNote(date.year(), date.month(), date.day());
        QVERIFY(other.waitForFinished());
        const QStringList theirs
            = QString::fromLatin1(other.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        for (const QString &name : theirs)
            QCOMPARE(qctest::readFile(dir.filePath(name)), QByteArrayLiteral("theirs"));
        const QStringList all
            = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        QCOMPARE(all.size(), 3 * 365 + 1);
        qDebug(
            "%lld of %lld notes were the other program's", qlonglong(theirs.size()), qlonglong(all.size()));
    }

    // Without hard links a note is put in place by a rename that won't replace: a kill at any
    // moment leaves no note or its whole header, never an empty or short one.
    void killedWhileCreatingWithoutHardLinks()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (int round = 0; round < 12; ++round) {
            QProcess creator;
            creator.start(QCoreApplication::applicationFilePath(),
                { QStringLiteral("--create-notes-without-links"), dir.path() });
            QVERIFY(creator.waitForReadyRead()); // it has begun
            QTest::qSleep(5 + round * 4);
            creator.kill();
            QVERIFY(creator.waitForFinished());
        }
        const QStringList notes = QDir(dir.path()).entryList({ QStringLiteral("*.QVN") }, QDir::Files);
        QVERIFY(!notes.isEmpty());
        for (const QString &name : notes) {
            const QDate date
                = QDate::fromString(QStringLiteral("20") + name.left(6), QStringLiteral("yyyyMMdd"));
            QCOMPARE(
                qctest::readFile(dir.filePath(name)), qc::noteHeader(date.year(), date.month(), date.day()));
        }
        qDebug("%lld notes whole after 12 kills", qlonglong(notes.size()));
    }

    void programDirectoryThatCannotBeNamed_data()
    {
        QTest::addColumn<QString>("filePath");
        QTest::addColumn<bool>("usable");
        QTest::newRow("unnamed") << QString() << false;
        QTest::newRow("relative") << QStringLiteral("quorvelcal") << false;
        QTest::newRow("folder gone") << QStringLiteral("/nonexistent-qc/quorvelcal") << false;
        QTest::newRow("real folder") << QDir::tempPath() + QStringLiteral("/quorvelcal") << true;
    }
    void programDirectoryThatCannotBeNamed()
    {
        QFETCH(QString, filePath);
        QFETCH(bool, usable);
        QCOMPARE(qc::programDirectoryProblemFor(filePath).isEmpty(), usable);
    }

private:
    int m_started = 0;
    qctest::ScopedNoteLauncher m_launcher { [this](const qc::EditorCommand &) { ++m_started; } };
};

// The other program of noteCreatedMeanwhileWins: creates the notes exclusively, in the same order,
// and names the ones it made.
int createNotes(const QString &directory)
{
    QTextStream out(stdout);
    for (QDate date(2020, 1, 1); date.year() < 2023; date = date.addDays(1)) {
        QFile note(qc::notePath(directory, date.year(), date.month(), date.day()));
        if (note.open(QIODevice::WriteOnly | QIODevice::NewOnly) && note.write("theirs") == 6)
            out << QFileInfo(note).fileName() << '\n';
    }
    return 0;
}

// The killed program of killedWhileCreatingWithoutHardLinks, as on a file system without hard links.
int createNotesWithoutLinks(const QString &directory)
{
    // Each note stands a moment before its first byte, where a kill is most likely to find it.
    const qc::ScopedSaveHooks hooks({ .step =
                                          [](qc::SaveStep step, int, const QByteArray &) {
                                              if (step == qc::SaveStep::Ready)
                                                  ::usleep(2000);
                                          },
        .namedTemporariesOnly = true,
        .noHardLinks = true });
    if (::write(STDOUT_FILENO, "\n", 1) != 1)
        return 1;
    for (QDate date(2020, 1, 1); date.year() < 2023; date = date.addDays(1)) {
        const QString path = qc::notePath(directory, date.year(), date.month(), date.day());
        if (!QFileInfo::exists(path)) // as a note is opened: one that exists is left alone
            qc::writeWholeFile(
                path, qc::noteHeader(date.year(), date.month(), date.day()), qc::WhenPresent::KeepExisting);
    }
    return 0;
}

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--create-notes-without-links") == 0)
        return createNotesWithoutLinks(QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && qstrcmp(argv[1], "--create-notes") == 0)
        return createNotes(QString::fromLocal8Bit(argv[2]));
    // Before Qt starts any thread.
    qctest::enterPrivateMountNamespace();
    QCoreApplication app(argc, argv);
    TestNoteFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_notefaults.moc"
