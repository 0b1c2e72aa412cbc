// Fault tests of saving the birthday list: whatever stops a save half-way, the file on disk stays
// byte for byte what it was, the dialog keeps the user's edits, and the save goes through once the
// fault is gone. A file that exists but can't be read is never replaced, and nothing in the file's
// place can hang the load. Two programs saving the same file at once leave one of their files, whole.
#include "core/birthdays.h"
#include "core/programdir.h"
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

#include <grp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

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
    qc::setMessageHook([&errors](qc::MessageKind, const QString &, const QString &text) {
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
    qc::setMessageHook({});
    return errors;
}

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
    void initTestCase()
    {
        qctest::fixToday(QDate(2023, 6, 15));
        qc::setMessageHook([this](qc::MessageKind kind, const QString &, const QString &text) {
            if (kind == qc::MessageKind::Error)
                m_errors.append(text);
            return true;
        });
    }
    void init() { m_errors.clear(); }
    void cleanup() { qc::setProgramFilePathForTesting({}); }

    void interruptedSave_data();
    void interruptedSave();
    void unreadableFileIsNeverReplaced_data();
    void unreadableFileIsNeverReplaced();
    void staleTemporariesAreRemoved();
    void concurrentSavesLeaveOneCompleteFile();

private:
    QStringList m_errors;
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

    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString dir = temp.filePath(QStringLiteral("program"));
    QVERIFY(QDir().mkpath(dir));
    std::unique_ptr<qcfault::ScratchFs> fs;
    if (fault == Fault::ReadOnlyDirectory || fault == Fault::DiskFull) {
        fs = std::make_unique<qcfault::ScratchFs>(dir, 64);
        if (!fs->isMounted())
            QSKIP("no private mount namespace here to make a small or read-only file system in");
    }
    qc::setProgramFilePathForTesting(dir + QStringLiteral("/quorvelcal"));
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
        QVERIFY(fs->remountReadOnly());
        break;
    case Fault::DiskFull:
        QVERIFY(fs->fill());
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
        QVERIFY(::mount(nullptr, QFile::encodeName(dir).constData(), nullptr, MS_REMOUNT, nullptr) == 0);
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

enum class InPlace { Folder, Pipe, Socket, Device, ReadError, Huge, WriteOnly, ReadOnlyFolder };
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
    // Root reads and writes every file: these run as nobody.
    QTest::newRow("write-only file") << InPlace::WriteOnly << denied;
    QTest::newRow("read-only folder, writable file")
        << InPlace::ReadOnlyFolder
        << QStringList { QStringLiteral("list not empty"),
               QStringLiteral("无法保存生日：文件夹“%2”不可写。新的生日文件要先在这个文件夹里写好，"
                              "再换下旧的，请让这个文件夹可写.") };
}

void TestBirthdaySave::unreadableFileIsNeverReplaced()
{
    QFETCH(InPlace, inPlace);
    QFETCH(QStringList, errors);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    qc::setProgramFilePathForTesting(dir.filePath(QStringLiteral("quorvelcal")));
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
    case InPlace::WriteOnly:
    case InPlace::ReadOnlyFolder:
        QVERIFY(qctest::writeFile(path, old));
        QVERIFY(::chmod(name.constData(), inPlace == InPlace::WriteOnly ? 0622 : 0666) == 0);
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0755) == 0);
        break;
    }
    const QFileInfo before(path);
    for (QString &error : errors)
        error = error.replace(u"%1"_s, path).replace(u"%2"_s, dir.path());

    QStringList shown;
    if (inPlace == InPlace::WriteOnly || inPlace == InPlace::ReadOnlyFolder) {
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
    if (inPlace == InPlace::WriteOnly || inPlace == InPlace::ReadOnlyFolder)
        QCOMPARE(qctest::readFile(path), old);
}

void TestBirthdaySave::staleTemporariesAreRemoved()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("quorvelcal.CFG"));
    const QString stale = path + QStringLiteral(".qcsave-AbcDef");
    const QStringList kept { QStringLiteral("quorvelcal.CFG.qcsave-AbcDe1"),
        QStringLiteral("quorvelcal.CFG.backup"), QStringLiteral("quorvelcal.CFG.qcsave-AbcDefg"),
        QStringLiteral("other.CFG.qcsave-AbcDef"), QStringLiteral("quorvelcal.CFG.qcsave-Fresh1"),
        QStringLiteral("quorvelcal.CFG.qcsave-Fresh") };
    const QDateTime longAgo = QDateTime::currentDateTime().addSecs(-60);
    const QStringList made = QStringList(kept) << QFileInfo(stale).fileName();
    for (const QString &name : made) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        // Only a temporary left a while ago is stale: a fresh one may be another program's save.
        if (name != QLatin1String("quorvelcal.CFG.qcsave-Fresh"))
            QVERIFY(file.setFileTime(longAgo, QFileDevice::FileModificationTime));
    }

    qc::saveBirthdayFile(path, qc::serializeBirthdayFile(3, {}));

    QStringList expected = kept;
    expected << QStringLiteral("quorvelcal.CFG");
    expected.sort();
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), expected);
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
    if (argc == 4 && qstrcmp(argv[1], "--save-loop") == 0)
        return saveLoop(QString::fromLocal8Bit(argv[2]), argv[3][0], argv[3][0] == 'A' ? 400 : 40, 300);
    if (argc == 3 && qstrcmp(argv[1], "--load-edit-save") == 0) {
        QApplication app(argc, argv);
        qc::setProgramFilePathForTesting(QString::fromLocal8Bit(argv[2]).chopped(4));
        QTextStream(stdout) << loadEditAndSave().join(u'\n') << Qt::endl;
        return 0;
    }
    // Before Qt starts any thread.
    qcfault::enterPrivateMountNamespace();
    QApplication app(argc, argv);
    TestBirthdaySave test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_birthdaysave.moc"
