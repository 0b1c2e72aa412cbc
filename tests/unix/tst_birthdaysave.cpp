// Fault tests of saving the birthday list: whatever stops a save half-way, the file on disk stays
// byte for byte what it was, the dialog keeps the user's edits, and the save goes through once the
// fault is gone. A file that exists but can't be read is never replaced, and nothing in the file's
// place can hang the load. Two programs saving the same file at once leave one of their files, whole.
#include "core/birthdays.h"
#include "core/descriptor.h"
#include "core/programdir.h"
#include "core/savefile.h"
#include "messages.h"
#include "scratchfs.h"
#include "testsupport.h"
#include "usetup.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <grp.h>
#include <stdio.h> // renameat2
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(qc::SaveStep)

namespace {

QList<QByteArray> entries(char tag, int count)
{
    QList<QByteArray> list;
    for (int i = 0; i < count; ++i)
        list.append(qc::birthdayEntry(1 + i % 12, 1 + i % 28, QByteArray(1, tag) + QByteArray::number(i)));
    return list;
}

// The child side of the concurrent test: saves one file over and over.
int saveLoop(const QString &path, char tag, int count, int rounds)
{
    const QByteArray contents = qc::serializeBirthdayFile(tag == 'A' ? 3 : 9, entries(tag, count));
    try {
        for (int i = 0; i < rounds; ++i)
            qc::saveBirthdayFile(path, contents);
    } catch (const qc::Exception &error) {
        qWarning("save failed: %s", error.what());
        return 1;
    }
    return 0;
}

// Loads the file in the dialog, adds an entry and presses OK: the errors it shows, in order.
QStringList loadEditAndSave()
{
    QStringList errors;
    const qctest::ScopedMessageHook hook([&errors](qc::MessageKind, const QString &, const QString &text) {
        errors.append(text);
        return true;
    });
    TSetupForm form;
    try {
        form.LoadBirthdays();
    } catch (const qc::Exception &error) {
        errors.append(qc::errorBoxText(error.message()));
    }
    if (!form.birthdayEntries().isEmpty())
        errors.append(QStringLiteral("list not empty")); // the file was read
    form.findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(QStringLiteral("5"));
    form.findChild<QLineEdit *>(QStringLiteral("Edit2"))->setText(QStringLiteral("6"));
    form.BitBtn2Click();
    form.BitBtn1Click();
    if (form.result() == QDialog::Accepted)
        errors.append(QStringLiteral("saved"));
    return errors;
}

// Whether a user who is neither the file's owner nor in its group can open it for reading; 77
// when the test can't become that user.
int readableByOthers(const QByteArray &path)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65533) != 0 || ::setuid(65533) != 0)
            ::_exit(77);
        ::_exit(::open(path.constData(), O_RDONLY | O_NONBLOCK) >= 0 ? 1 : 0);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool setAge(const QString &path, int seconds)
{
    const timespec times[2] = { { ::time(nullptr) - seconds, 0 }, { ::time(nullptr) - seconds, 0 } };
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

// The names in a folder that were opened since the watch began.
class OpenWatch
{
public:
    explicit OpenWatch(const QString &directory)
        : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        ::inotify_add_watch(m_fd, QFile::encodeName(directory).constData(), IN_OPEN);
    }
    ~OpenWatch() { ::close(m_fd); }
    OpenWatch(const OpenWatch &) = delete;
    OpenWatch &operator=(const OpenWatch &) = delete;

    QStringList opened()
    {
        QStringList names;
        alignas(inotify_event) char buffer[65536];
        ssize_t got = 0;
        while ((got = ::read(m_fd, buffer, sizeof buffer)) > 0) {
            for (const char *at = buffer; at < buffer + got;) {
                const auto *event = reinterpret_cast<const inotify_event *>(at);
                if (event->len > 0)
                    names.append(QFile::decodeName(event->name));
                at += sizeof(inotify_event) + event->len;
            }
        }
        return names;
    }

private:
    int m_fd;
};

bool makeSocket(const QString &path)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (name.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::copy(name.cbegin(), name.cend(), address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

} // namespace

class TestBirthdaySave : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qctest::fixToday(QDate(2023, 6, 15)); }
    void init() { m_errors.clear(); }

    void interruptedSave_data();
    void interruptedSave();
    void unreadableFileIsNeverReplaced_data();
    void unreadableFileIsNeverReplaced();
    void linkToANewListInAFolderThatIsThere();
    void linkTargetResolvedAsTheSystemDoes_data();
    void linkTargetResolvedAsTheSystemDoes();
    void cleanUpRacedByRenames();
    void staleTemporariesAreRemoved_data();
    void staleTemporariesAreRemoved();
    void privateFileStaysPrivateWhileSaved_data();
    void privateFileStaysPrivateWhileSaved();
    void pausedSave_data();
    void pausedSave();
    void concurrentSavesLeaveOneCompleteFile();

private:
    QStringList m_errors;
    qctest::ScopedMessageHook m_hook { [this](qc::MessageKind kind, const QString &, const QString &text) {
        if (kind == qc::MessageKind::Error)
            m_errors.append(text);
        return true;
    } };
};

enum class Fault { Conversion, ReadOnlyFile, ReadOnlyDirectory, DiskFull };
Q_DECLARE_METATYPE(Fault)

void TestBirthdaySave::interruptedSave_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("remind days no number") << Fault::Conversion << "'abc' is not a valid integer value.";
    QTest::newRow("file marked read-only") << Fault::ReadOnlyFile << "File access denied.";
    QTest::newRow("read-only file system") << Fault::ReadOnlyDirectory << "File access denied.";
    QTest::newRow("disk full") << Fault::DiskFull << "Disk full.";
}

void TestBirthdaySave::interruptedSave()
{
    QFETCH(Fault, fault);
    QFETCH(QString, message);

    qctest::ScratchProgramDir fs;
    const QString dir = fs.path();
    if ((fault == Fault::ReadOnlyDirectory || fault == Fault::DiskFull) && !fs.mount(64))
        QSKIP(fs.NoScratchFs);
    const QString path = qc::birthdayFilePath();

    const QByteArray old = qc::serializeBirthdayFile(7, entries('O', 20));
    QVERIFY(qctest::writeFile(path, old));

    TSetupForm form;
    form.LoadBirthdays();
    form.findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(QStringLiteral("5"));
    form.findChild<QLineEdit *>(QStringLiteral("Edit2"))->setText(QStringLiteral("6"));
    form.findChild<QLineEdit *>(QStringLiteral("Edit3"))->setText(QStringLiteral("新人"));
    form.BitBtn2Click();
    const QList<QByteArray> edited = form.birthdayEntries();
    QCOMPARE(edited.size(), 21);
    QLineEdit *remind = form.findChild<QLineEdit *>(QStringLiteral("Edit4"));
    remind->setText(QStringLiteral("7"));

    switch (fault) {
    case Fault::Conversion:
        remind->setText(QStringLiteral("abc"));
        break;
    case Fault::ReadOnlyFile:
        QVERIFY(QFile::setPermissions(
            path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
        break;
    case Fault::ReadOnlyDirectory:
        QVERIFY(fs.remountReadOnly());
        break;
    case Fault::DiskFull:
        QVERIFY(fs.fill());
        break;
    }
    const QStringList before = QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);

    form.BitBtn1Click();

    QCOMPARE(m_errors, QStringList { message });
    QVERIFY(form.result() != QDialog::Accepted);
    QCOMPARE(form.birthdayEntries(), edited);
    // No half-written file and no temporary one left beside it.
    QCOMPARE(QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), before);
    QCOMPARE(qctest::readFile(path), old);

    // Once the fault is gone, the same dialog saves the edits it kept.
    switch (fault) {
    case Fault::Conversion:
        remind->setText(QStringLiteral("7"));
        break;
    case Fault::ReadOnlyFile:
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        break;
    case Fault::ReadOnlyDirectory:
        QVERIFY(fs.remountWritable());
        break;
    case Fault::DiskFull:
        QVERIFY(QFile::remove(dir + QStringLiteral("/filler")));
        break;
    }
    m_errors.clear();
    form.BitBtn1Click();
    QCOMPARE(m_errors, QStringList());
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(qctest::readFile(path), qc::serializeBirthdayFile(7, edited));
}

enum class InPlace {
    Folder,
    Pipe,
    Socket,
    Device,
    ReadError,
    Huge,
    LinkToNowhere,
    WriteOnly,
    ReadOnlyFolder,
    OthersFile
};
Q_DECLARE_METATYPE(InPlace)

void TestBirthdaySave::unreadableFileIsNeverReplaced_data()
{
    QTest::addColumn<InPlace>("inPlace");
    QTest::addColumn<QStringList>("errors"); // %1 the file, %2 its folder
    const QString unread = QStringLiteral(
        "生日文件“%1”没有读入，保存会丢掉其中的生日，所以没有保存。请排除问题后在主窗口按“生日”重新读入.");
    const QStringList denied { QStringLiteral("生日文件“%1”无法读入：File access denied."), unread };
    QTest::newRow("folder") << InPlace::Folder << denied;
    QTest::newRow("named pipe") << InPlace::Pipe << denied;
    QTest::newRow("socket") << InPlace::Socket << denied;
    QTest::newRow("link to /dev/zero") << InPlace::Device << denied;
    QTest::newRow("read error") << InPlace::ReadError
                                << QStringList { QStringLiteral("生日文件“%1”无法读入：I/O error 30."),
                                       unread };
    QTest::newRow("over 64 MiB") << InPlace::Huge
                                 << QStringList { QStringLiteral(
                                                      "生日文件“%1”超过 64 MB，不是生日列表，没有读入."),
                                        unread };
    // A drive or a sync folder not there: the list is out of reach, not empty.
    QTest::newRow("link to a missing folder")
        << InPlace::LinkToNowhere
        << QStringList { QStringLiteral(
                             "生日文件“%1”是一个链接，它指向的“%3”不存在（也许那个驱动器或同步文件夹还没有"
                             "接上），所以没有读入."),
               unread };
    // Root reads and writes every file: these run as nobody.
    QTest::newRow("write-only file") << InPlace::WriteOnly << denied;
    QTest::newRow("read-only folder, writable file")
        << InPlace::ReadOnlyFolder
        << QStringList { QStringLiteral("list not empty"),
               QStringLiteral("无法保存生日文件“%1”：文件夹“%2”不可写。新的生日文件要先在这个文件夹里写好，"
                              "再换下旧的，请让这个文件夹可写.") };
    // The new file could not keep the owner: the other user would lose the list.
    QTest::newRow("another user's file in a shared folder")
        << InPlace::OthersFile
        << QStringList { QStringLiteral("list not empty"),
               QStringLiteral("新的“%1”无法保持原来的所有者和权限，所以没有保存.") };
}

void TestBirthdaySave::unreadableFileIsNeverReplaced()
{
    QFETCH(InPlace, inPlace);
    QFETCH(QStringList, errors);
    qctest::ProgramDir dir;
    const QString path = qc::birthdayFilePath();
    const QByteArray name = QFile::encodeName(path);
    const QByteArray old = qc::serializeBirthdayFile(4, entries('O', 2));
    switch (inPlace) {
    case InPlace::Folder:
        QVERIFY(QDir().mkpath(path));
        break;
    case InPlace::Pipe:
        QCOMPARE(::mkfifo(name.constData(), 0666), 0);
        break;
    case InPlace::Socket:
        QVERIFY(makeSocket(path));
        break;
    case InPlace::Device:
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        break;
    case InPlace::ReadError:
        // Reading another process's memory at address 0 fails with EIO.
        QVERIFY(QFile::link(QStringLiteral("/proc/self/mem"), path));
        break;
    case InPlace::Huge: {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.write(old) == old.size() && file.resize(qc::MaxBirthdayFileBytes + 1));
        break;
    }
    case InPlace::LinkToNowhere:
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("unmounted/quorvelcal.CFG")), path));
        break;
    case InPlace::WriteOnly:
    case InPlace::ReadOnlyFolder:
    case InPlace::OthersFile:
        QVERIFY(qctest::writeFile(path, old));
        QVERIFY(::chmod(name.constData(), inPlace == InPlace::WriteOnly ? 0622 : 0666) == 0);
        QVERIFY(
            ::chmod(QFile::encodeName(dir.path()).constData(), inPlace == InPlace::OthersFile ? 0777 : 0755)
            == 0);
        break;
    }
    const QFileInfo before(path);
    for (QString &error : errors)
        error = error.replace(u"%1"_s, path)
                    .replace(u"%2"_s, dir.path())
                    .replace(u"%3"_s, dir.filePath(QStringLiteral("unmounted/quorvelcal.CFG")));

    QStringList shown;
    const bool asNobody = inPlace == InPlace::WriteOnly || inPlace == InPlace::ReadOnlyFolder
        || inPlace == InPlace::OthersFile;
    if (asNobody) {
        // Root reads every file, so the load runs in a child process that is nobody.
        QProcess child;
        child.setChildProcessModifier([] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(77);
        });
        child.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--load-edit-save"), path });
        QVERIFY(child.waitForFinished());
        if (child.exitCode() == 77)
            QSKIP("cannot become another user here");
        shown = QString::fromUtf8(child.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    } else {
        shown = loadEditAndSave();
    }

    QCOMPARE(shown, errors);
    const QFileInfo after(path);
    QCOMPARE(after.isSymLink(), before.isSymLink());
    QCOMPARE(after.lastModified(), before.lastModified());
    QCOMPARE(after.size(), before.size());
    QCOMPARE(
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
        QStringList { QFileInfo(path).fileName() });
    if (asNobody)
        QCOMPARE(qctest::readFile(path), old);
}

// A new list in a sync folder: the link is there before the list is. It loads as an empty list and
// the first save creates the list where the link points; the link stays.
void TestBirthdaySave::linkToANewListInAFolderThatIsThere()
{
    qctest::ProgramDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sync")));
    const QString path = qc::birthdayFilePath();
    QVERIFY(QFile::link(QStringLiteral("sync/quorvelcal.CFG"), path));

    QCOMPARE(loadEditAndSave(), QStringList { QStringLiteral("saved") });
    QCOMPARE(QFileInfo(path).symLinkTarget(), dir.filePath(QStringLiteral("sync/quorvelcal.CFG")));
    QCOMPARE(qctest::readFile(dir.filePath(QStringLiteral("sync/quorvelcal.CFG"))),
        qc::serializeBirthdayFile(3, { qc::birthdayEntry(5, 6, {}) }));
}

enum class LinkCase {
    ThroughLinkUpToAFolderThatIsThere,
    ThroughLinkUpToAMissingFolder,
    FolderGoneBeforeSave
};
Q_DECLARE_METATYPE(LinkCase)

void TestBirthdaySave::linkTargetResolvedAsTheSystemDoes_data()
{
    QTest::addColumn<LinkCase>("linkCase");
    QTest::addColumn<QStringList>("errors"); // %1 the file, %2 where it points
    const QString nowhere = QStringLiteral(
        "生日文件“%1”是一个链接，它指向的“%2”不存在（也许那个驱动器或同步文件夹还没有接上），所以没有%3.");
    // program/lnk leads to elsewhere/deep; the list's link is lnk/../sync/real.CFG, which the system
    // takes as elsewhere/sync/real.CFG however program/sync looks.
    QTest::newRow("folder there beyond the link")
        << LinkCase::ThroughLinkUpToAFolderThatIsThere << QStringList { QStringLiteral("saved") };
    QTest::newRow("folder missing beyond the link, there beside it")
        << LinkCase::ThroughLinkUpToAMissingFolder
        << QStringList { nowhere.arg(u"%1"_s, u"%2"_s, u"读入"_s),
               QStringLiteral("生日文件“%1”没有读入，保存会丢掉其中的生日，所以没有保存。"
                              "请排除问题后在主窗口按“生日”重新读入.") };
    // Read as a new list while the sync folder was there; gone when the list is saved.
    QTest::newRow("folder gone before the save")
        << LinkCase::FolderGoneBeforeSave << QStringList { nowhere.arg(u"%1"_s, u"%2"_s, u"保存"_s) };
}

void TestBirthdaySave::linkTargetResolvedAsTheSystemDoes()
{
    QFETCH(LinkCase, linkCase);
    QFETCH(QStringList, errors);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QDir top(dir.path());
    QVERIFY(top.mkpath(u"program"_s) && top.mkpath(u"elsewhere/deep"_s));
    QVERIFY(top.mkpath(
        linkCase == LinkCase::ThroughLinkUpToAMissingFolder ? u"program/sync"_s : u"elsewhere/sync"_s));
    const qctest::ProgramDir program(dir.filePath(u"program"_s));
    const QString path = qc::birthdayFilePath();
    QVERIFY(QFile::link(u"../elsewhere/deep"_s, dir.filePath(u"program/lnk"_s)));
    QVERIFY(QFile::link(u"lnk/../sync/real.CFG"_s, path));
    const QString real = dir.filePath(u"elsewhere/sync/real.CFG"_s);
    for (QString &error : errors)
        error = error.replace(u"%1"_s, path).replace(u"%2"_s, real);

    QStringList shown;
    const qctest::ScopedMessageHook hook([&shown](qc::MessageKind, const QString &, const QString &text) {
        shown.append(text);
        return true;
    });
    TSetupForm form;
    try {
        form.LoadBirthdays();
    } catch (const qc::Exception &error) {
        shown.append(qc::errorBoxText(error.message()));
    }
    if (linkCase == LinkCase::FolderGoneBeforeSave)
        QVERIFY(QDir(dir.filePath(u"elsewhere/sync"_s)).removeRecursively());
    form.BitBtn1Click();
    if (form.result() == QDialog::Accepted)
        shown.append(u"saved"_s);

    QCOMPARE(shown, errors);
    QCOMPARE(QFileInfo(path).symLinkTarget().isEmpty(), false);
    QCOMPARE(QFileInfo::exists(real), linkCase == LinkCase::ThroughLinkUpToAFolderThatIsThere);
    QVERIFY(!QFileInfo::exists(dir.filePath(u"program/sync/real.CFG"_s)));
}

// Another process swaps a stale temporary's name with a file that is not ours (one with a second
// name elsewhere) and with a named pipe, again and again, while the clean-up runs: the other file
// keeps both its names and the pipe is never opened.
void TestBirthdaySave::cleanUpRacedByRenames()
{
    QTemporaryDir elsewhere;
    QVERIFY(elsewhere.isValid());
    const QByteArray precious = QFile::encodeName(elsewhere.filePath(u"precious"_s));
    QVERIFY(qctest::writeFile(QFile::decodeName(precious), "the user's"));
    int pipeOpens = 0;
    int victims = 0;
    for (int run = 0; run < 200; ++run) {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray folder = QFile::encodeName(dir.path());
        const QByteArray stale = folder + "/quorvelcal.CFG.qcsave-AbcDef";
        const QByteArray victim = folder + "/victim";
        const QByteArray pipe = folder + "/pipe";
        QVERIFY(qctest::writeFile(QFile::decodeName(stale), "a temporary"));
        QVERIFY(setAge(QFile::decodeName(stale), 60));
        QCOMPARE(::link(precious.constData(), victim.constData()), 0);
        QVERIFY(setAge(QFile::decodeName(victim), 60));
        QCOMPARE(::mkfifo(pipe.constData(), 0600), 0);
        const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        ::inotify_add_watch(watch, pipe.constData(), IN_OPEN);
        std::atomic<bool> stop = false;
        std::thread swapper([&] {
            while (!stop) {
                ::renameat2(AT_FDCWD, stale.constData(), AT_FDCWD, victim.constData(), RENAME_EXCHANGE);
                ::renameat2(AT_FDCWD, stale.constData(), AT_FDCWD, pipe.constData(), RENAME_EXCHANGE);
            }
        });
        qc::saveBirthdayFile(dir.filePath(u"quorvelcal.CFG"_s), qc::serializeBirthdayFile(3, {}));
        stop = true;
        swapper.join();
        inotify_event event {};
        pipeOpens += ::read(watch, &event, sizeof event) > 0 ? 1 : 0;
        ::close(watch);
        struct stat status
        { };
        victims += ::stat(precious.constData(), &status) == 0 && status.st_nlink == 2 ? 0 : 1;
        ::unlink(victim.constData());
        for (const QString &name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System))
            ::unlink(QFile::encodeName(dir.filePath(name)).constData()); // the victim's name may have moved
    }
    QCOMPARE(victims, 0);
    QCOMPARE(pipeOpens, 0);
    QCOMPARE(qctest::readFile(QFile::decodeName(precious)), QByteArray("the user's"));
}

void TestBirthdaySave::staleTemporariesAreRemoved_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("removed");
    const QString ours = QStringLiteral("quorvelcal.CFG.qcsave-AbcDef");
    QTest::newRow("left by a crash") << u"file"_s << ours << true;
    QTest::newRow("second name of the list") << u"second name"_s << ours << true;
    // Only a temporary left a while ago is stale: a fresh one may be another program's save.
    QTest::newRow("fresh") << u"fresh"_s << ours << false;
    QTest::newRow("five letters") << u"file"_s << u"quorvelcal.CFG.qcsave-AbcDe"_s << false;
    QTest::newRow("seven letters") << u"file"_s << u"quorvelcal.CFG.qcsave-AbcDefg"_s << false;
    QTest::newRow("a digit") << u"file"_s << u"quorvelcal.CFG.qcsave-AbcDe1"_s << false;
    QTest::newRow("other file's") << u"file"_s << u"other.CFG.qcsave-AbcDef"_s << false;
    QTest::newRow("other name") << u"file"_s << u"quorvelcal.CFG.backup"_s << false;
    QTest::newRow("another user's") << u"another user's"_s << ours << false;
    QTest::newRow("hard link to a file elsewhere") << u"hard link"_s << ours << false;
    QTest::newRow("link to a stale file") << u"symlink"_s << ours << false;
    QTest::newRow("named pipe") << u"pipe"_s << ours << false;
    QTest::newRow("device") << u"device"_s << ours << false;
    QTest::newRow("folder") << u"folder"_s << ours << false;
    QTest::newRow("locked by a live save") << u"locked"_s << ours << false;
}

void TestBirthdaySave::staleTemporariesAreRemoved()
{
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QFETCH(bool, removed);
    QTemporaryDir dir;
    QTemporaryDir elsewhere;
    QVERIFY(dir.isValid() && elsewhere.isValid());
    const QString path = dir.filePath(QStringLiteral("quorvelcal.CFG"));
    const QString lookAlike = dir.filePath(name);
    const QString precious = elsewhere.filePath(QStringLiteral("precious"));
    const QByteArray bytes = QFile::encodeName(lookAlike);
    QVERIFY(qctest::writeFile(path, qc::serializeBirthdayFile(3, {})));
    QVERIFY(qctest::writeFile(precious, "the user's"));
    QVERIFY(setAge(precious, 60));
    qc::Descriptor locked;
    if (kind == u"second name")
        QCOMPARE(::link(QFile::encodeName(path).constData(), bytes.constData()), 0);
    else if (kind == u"hard link")
        QCOMPARE(::link(QFile::encodeName(precious).constData(), bytes.constData()), 0);
    else if (kind == u"symlink")
        QVERIFY(QFile::link(precious, lookAlike));
    else if (kind == u"pipe")
        QCOMPARE(::mkfifo(bytes.constData(), 0600), 0);
    else if (kind == u"device" && ::mknod(bytes.constData(), S_IFCHR | 0600, makedev(1, 3)) != 0)
        QSKIP("no device nodes can be made here");
    else if (kind == u"folder")
        QVERIFY(QDir().mkdir(lookAlike));
    else if (kind == u"file" || kind == u"fresh" || kind == u"another user's" || kind == u"locked")
        QVERIFY(qctest::writeFile(lookAlike, "a temporary"));
    if (kind == u"another user's")
        if (::chown(bytes.constData(), 65534, 65534) != 0)
            QSKIP("cannot give a file to another user here");
    if (kind == u"locked") {
        locked.fd = ::open(bytes.constData(), O_RDONLY | O_CLOEXEC);
        QCOMPARE(::flock(locked.fd, LOCK_EX | LOCK_NB), 0);
    }
    if (kind != u"fresh")
        QVERIFY(setAge(lookAlike, 60));
    OpenWatch watch(dir.path());
    OpenWatch watchElsewhere(elsewhere.path());

    qc::saveBirthdayFile(path, qc::serializeBirthdayFile(5, {}));

    QStringList expected { QStringLiteral("quorvelcal.CFG") };
    if (!removed)
        expected << name;
    expected.sort();
    QCOMPARE(
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
        expected);
    // What can't be removed is not even opened; a locked one is, to find its lock.
    if (!removed && kind != u"locked")
        QVERIFY2(!watch.opened().contains(name), "the clean-up opened a file that was not its own");
    QCOMPARE(watchElsewhere.opened(), QStringList());
    QCOMPARE(qctest::readFile(path), qc::serializeBirthdayFile(5, {}));
    QCOMPARE(qctest::readFile(precious), QByteArray("the user's"));
}

void TestBirthdaySave::privateFileStaysPrivateWhileSaved_data()
{
    QTest::addColumn<bool>("named");
    QTest::addColumn<int>("oldMode"); // -1: no file yet
    QTest::addColumn<uint>("owner"); // 0: the user the test runs as
    QTest::newRow("0600 list") << false << 0600 << 0u;
    QTest::newRow("0600 list, named temporary") << true << 0600 << 0u;
    QTest::newRow("new list") << false << -1 << 0u;
    QTest::newRow("new list, named temporary") << true << -1 << 0u;
    // Root saving another user's list keeps it theirs.
    QTest::newRow("nobody's 0640 list saved by root") << false << 0640 << 65534u;
    QTest::newRow("nobody's 0640 list saved by root, named") << true << 0640 << 65534u;
}

// Every temporary the save creates is checked: its mode and owner when created and before its first
// byte, and whether a user who is neither its owner nor in its group can open it.
void TestBirthdaySave::privateFileStaysPrivateWhileSaved()
{
    QFETCH(bool, named);
    QFETCH(int, oldMode);
    QFETCH(uint, owner);
    const uid_t user = owner != 0 ? owner : ::geteuid();
    const gid_t group = owner != 0 ? owner : ::getegid();
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
    const QString path = dir.filePath(QStringLiteral("quorvelcal.CFG"));
    const QByteArray bytes = QFile::encodeName(path);
    if (oldMode >= 0) {
        QVERIFY(qctest::writeFile(path, qc::serializeBirthdayFile(3, entries('O', 2))));
        QCOMPARE(::chmod(bytes.constData(), mode_t(oldMode)), 0);
        if (::chown(bytes.constData(), user, group) != 0)
            QSKIP("cannot give a file to another user here");
    }
    // Nothing left to the umask: with none at all a new list is 0666, yet its temporary is private.
    const mode_t umask = ::umask(0);
    const auto restore = qScopeGuard([umask] { ::umask(umask); });
    const mode_t wanted = oldMode >= 0 ? mode_t(oldMode) : 0666;

    struct Seen
    {
        qc::SaveStep step;
        struct stat status;
        int readable;
    };
    QList<Seen> seen;
    const qc::ScopedSaveHooks hooks(
        { .step =
                [&seen](qc::SaveStep step, int fd, const QByteArray &temporary) {
                    Seen now { step, {}, 0 };
                    ::fstat(fd, &now.status);
                    now.readable = readableByOthers(temporary.isEmpty()
                            ? "/proc/" + QByteArray::number(::getpid()) + "/fd/" + QByteArray::number(fd)
                            : temporary);
                    seen.append(now);
                },
            .namedTemporariesOnly = named });
    const QByteArray contents = qc::serializeBirthdayFile(9, entries('N', 3));
    qc::saveBirthdayFile(path, contents);

    QCOMPARE(seen.size(), 2);
    for (const Seen &at : std::as_const(seen)) {
        if (at.readable == 77)
            QSKIP("cannot become another user here");
        // Through its name a new list of mode 0666 may be read once it has that mode; an unnamed
        // temporary can't be reached by another user at all.
        QCOMPARE(at.readable, named && at.step == qc::SaveStep::Ready && (wanted & 0004) ? 1 : 0);
        if (at.step == qc::SaveStep::Created) {
            QCOMPARE(at.status.st_mode & 0077, 0u);
        } else {
            QCOMPARE(at.status.st_mode & 07777, wanted);
            QCOMPARE(at.status.st_uid, user);
            QCOMPARE(at.status.st_gid, group);
            QCOMPARE(at.status.st_size, 0);
        }
    }
    struct stat saved
    { };
    QCOMPARE(::stat(bytes.constData(), &saved), 0);
    QCOMPARE(saved.st_mode & 07777, wanted);
    QCOMPARE(saved.st_uid, user);
    QCOMPARE(saved.st_gid, group);
    QCOMPARE(qctest::readFile(path), contents);
}

void TestBirthdaySave::pausedSave_data()
{
    QTest::addColumn<bool>("named");
    QTest::addColumn<qc::SaveStep>("pauseAt");
    QTest::newRow("named, paused before its lock") << true << qc::SaveStep::Created;
    QTest::newRow("named, paused after its lock") << true << qc::SaveStep::Ready;
    QTest::newRow("unnamed, paused before its lock") << false << qc::SaveStep::Created;
}

// A save that stands still longer than the grace period while another copy of the program saves
// the same file: the other copy's clean-up may take the temporary's name, never the save itself.
void TestBirthdaySave::pausedSave()
{
    QFETCH(bool, named);
    QFETCH(qc::SaveStep, pauseAt);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("quorvelcal.CFG"));
    QVERIFY(qctest::writeFile(path, qc::serializeBirthdayFile(9, entries('B', 40))));
    int other = -1;
    const qc::ScopedSaveHooks hooks({ .step
        =
            [&](qc::SaveStep step, int fd, const QByteArray &temporary) {
                if (other >= 0 || step != pauseAt)
                    return;
                const timespec longAgo[2] = { { ::time(nullptr) - 60, 0 }, { ::time(nullptr) - 60, 0 } };
                ::futimens(fd, longAgo);
                Q_UNUSED(temporary);
                other
                    = QProcess::execute(QCoreApplication::applicationFilePath(), { u"--save-once"_s, path });
            },
        .namedTemporariesOnly = named });
    const QByteArray ours = qc::serializeBirthdayFile(3, entries('A', 400));

    qc::saveBirthdayFile(path, ours);

    QCOMPARE(other, 0);
    QCOMPARE(qctest::readFile(path), ours);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList { QStringLiteral("quorvelcal.CFG") });
}

void TestBirthdaySave::concurrentSavesLeaveOneCompleteFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("quorvelcal.CFG"));
    // Sizes differ, so a file made of parts of both shows in its size or its bytes.
    const QByteArray a = qc::serializeBirthdayFile(3, entries('A', 400));
    const QByteArray b = qc::serializeBirthdayFile(9, entries('B', 40));
    QVERIFY(qctest::writeFile(path, b));

    QList<QProcess *> savers;
    for (const char *tag : { "A", "B" }) {
        auto *saver = new QProcess(this);
        saver->setProcessChannelMode(QProcess::ForwardedChannels);
        saver->start(QCoreApplication::applicationFilePath(),
            { QStringLiteral("--save-loop"), path, QLatin1String(tag) });
        QVERIFY(saver->waitForStarted());
        savers.append(saver);
    }
    int reads = 0;
    const auto running = [&savers] {
        return std::any_of(
            savers.cbegin(), savers.cend(), [](QProcess *p) { return p->state() != QProcess::NotRunning; });
    };
    while (running()) {
        const QByteArray seen = qctest::readFile(path);
        QVERIFY2(
            seen == a || seen == b, qPrintable(QStringLiteral("a reader saw %1 bytes").arg(seen.size())));
        ++reads;
        for (QProcess *saver : std::as_const(savers))
            saver->waitForFinished(0);
    }
    for (QProcess *saver : std::as_const(savers)) {
        QCOMPARE(saver->exitStatus(), QProcess::NormalExit);
        QCOMPARE(saver->exitCode(), 0);
    }
    const QByteArray last = qctest::readFile(path);
    QVERIFY(last == a || last == b);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList { QStringLiteral("quorvelcal.CFG") });
    qDebug("%d reads while both saved", reads);
}

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--save-once") == 0)
        return saveLoop(QString::fromLocal8Bit(argv[2]), 'B', 40, 1);
    if (argc == 4 && qstrcmp(argv[1], "--save-loop") == 0)
        return saveLoop(QString::fromLocal8Bit(argv[2]), argv[3][0], argv[3][0] == 'A' ? 400 : 40, 300);
    if (argc == 3 && qstrcmp(argv[1], "--load-edit-save") == 0) {
        QApplication app(argc, argv);
        const qctest::ProgramDir dir(QFileInfo(QString::fromLocal8Bit(argv[2])).absolutePath());
        QTextStream(stdout) << loadEditAndSave().join(u'\n') << Qt::endl;
        return 0;
    }
    // Before Qt starts any thread.
    qctest::enterPrivateMountNamespace();
    QApplication app(argc, argv);
    TestBirthdaySave test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_birthdaysave.moc"
