// Fault tests of saving the birthday list: whatever stops a save half-way, the file on disk stays
// byte for byte what it was, the dialog keeps the user's edits, and the save goes through once the
// fault is gone. Two programs saving the same file at once leave one of their files, whole.
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
    void concurrentSavesLeaveOneCompleteFile();

private:
    QStringList m_errors;
};

enum class Fault { Conversion, ReadOnlyFile, DirectoryInPlace, ReadOnlyDirectory, DiskFull };
Q_DECLARE_METATYPE(Fault)

void TestBirthdaySave::interruptedSave_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("remind days no number") << Fault::Conversion << "'abc' is not a valid integer value.";
    QTest::newRow("file marked read-only") << Fault::ReadOnlyFile << "File access denied.";
    QTest::newRow("directory where the file is") << Fault::DirectoryInPlace << "File access denied.";
    QTest::newRow("read-only directory") << Fault::ReadOnlyDirectory << "File access denied.";
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
    if (fault == Fault::DirectoryInPlace) {
        QVERIFY(QDir().mkpath(path));
        QVERIFY(qctest::writeFile(path + QStringLiteral("/keep"), old));
    } else {
        QVERIFY(qctest::writeFile(path, old));
    }

    TSetupForm form;
    form.LoadBirthdays();
    form.findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(QStringLiteral("5"));
    form.findChild<QLineEdit *>(QStringLiteral("Edit2"))->setText(QStringLiteral("6"));
    form.findChild<QLineEdit *>(QStringLiteral("Edit3"))->setText(QStringLiteral("新人"));
    form.BitBtn2Click();
    const QList<QByteArray> edited = form.birthdayEntries();
    QCOMPARE(edited.size(), fault == Fault::DirectoryInPlace ? 1 : 21);
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
    case Fault::DirectoryInPlace:
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
    if (fault == Fault::DirectoryInPlace) {
        QVERIFY(QFileInfo(path).isDir());
        QCOMPARE(qctest::readFile(path + QStringLiteral("/keep")), old);
        return;
    }
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
    case Fault::DirectoryInPlace:
        break;
    }
    m_errors.clear();
    form.BitBtn1Click();
    QCOMPARE(m_errors, QStringList());
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(qctest::readFile(path), qc::serializeBirthdayFile(7, edited));
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
    // Before Qt starts any thread.
    qcfault::enterPrivateMountNamespace();
    QApplication app(argc, argv);
    TestBirthdaySave test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_birthdaysave.moc"
