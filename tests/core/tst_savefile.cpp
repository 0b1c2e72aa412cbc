// Writing a file whole: what a failure is called, and which file wins when one is already there.
#include "core/errors.h"
#include "core/savefile.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

class TestSaveFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void systemErrors_data()
    {
        QTest::addColumn<int>("systemError");
        QTest::addColumn<QString>("message");
        QTest::newRow("no entry") << ENOENT << "File not found";
        QTest::newRow("name too long") << ENAMETOOLONG << "Invalid filename";
        QTest::newRow("open-file limit") << EMFILE << "Too many open files";
        QTest::newRow("read-only file system") << EROFS << "File access denied";
        QTest::newRow("a folder in the way") << EISDIR << "File access denied";
        QTest::newRow("no space") << ENOSPC << "Disk full";
        // errno 5 must not read as the program's code 5, "File access denied".
        QTest::newRow("device error") << EIO << "I/O error 29";
        // Nor numbers that equal the program's codes of their own.
        QTest::newRow("interrupted") << EINTR << "I/O error 4";
        // 101 on Linux, 118 in the Windows C library: the number itself, never "Disk full".
        QTest::newRow("network unreachable") << ENETUNREACH << QString("I/O error %1").arg(ENETUNREACH);
        QTest::newRow("errno 100") << 100 << "I/O error 100";
        QTest::newRow("errno 101") << 101 << "I/O error 101";
    }
    void systemErrors()
    {
        QFETCH(int, systemError);
        QFETCH(QString, message);
        QCOMPARE(qc::ioErrorFromErrno(systemError).message(), message);
    }

    // Each road a file system leaves: unnamed temporaries, named ones, no hard links.
    void replacesOrKeeps_data()
    {
        QTest::addColumn<bool>("named");
        QTest::addColumn<bool>("noHardLinks");
        QTest::newRow("unnamed temporary") << false << false;
        QTest::newRow("named temporary") << true << false;
        QTest::newRow("no hard links") << true << true;
    }
    void replacesOrKeeps()
    {
        QFETCH(bool, named);
        QFETCH(bool, noHardLinks);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f"));
        {
            const qc::ScopedSaveHooks hooks({ .namedTemporariesOnly = named, .noHardLinks = noHardLinks });
            QVERIFY(qc::writeWholeFile(path, "one", qc::WhenPresent::Replace));
            QVERIFY(qc::writeWholeFile(path, "two", qc::WhenPresent::Replace));
            QVERIFY(!qc::writeWholeFile(path, "three", qc::WhenPresent::KeepExisting));
            QVERIFY(
                qc::writeWholeFile(dir.filePath(QStringLiteral("g")), "four", qc::WhenPresent::KeepExisting));
        }
        QCOMPARE(qctest::readFile(path), QByteArray("two"));
        QCOMPARE(qctest::readFile(dir.filePath(QStringLiteral("g"))), QByteArray("four"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
            QStringList({ QStringLiteral("f"), QStringLiteral("g") }));
    }

    // An interrupted fsync is tried again; a failed one of the file fails the save and leaves the
    // old file; a failed one of the folder after the rename is reported, and the new file stays.
    void fileSync_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::addColumn<int>("systemError");
        QTest::addColumn<QString>("message"); // empty: saved; %1 the file, %2 its folder
        QTest::newRow("interrupted three times") << false << EINTR << QString();
        QTest::newRow("device error") << false << EIO << "I/O error 29";
        QTest::newRow("errno 101") << false << 101 << "I/O error 101";
        QTest::newRow("folder interrupted three times") << true << EINTR << QString();
        QTest::newRow("folder without a flush") << true << EINVAL << QString();
        QTest::newRow("folder device error")
            << true << EIO
            << "“%1”已经写好，但文件夹“%2”里它的目录项可能还没有写到磁盘上（I/O error 29），"
               "断电或拔出驱动器后可能找不到这次保存的内容";
    }
    void fileSync()
    {
#ifndef Q_OS_UNIX
        QSKIP("the system's own save flushes on this system");
#else
        QFETCH(bool, folder);
        QFETCH(int, systemError);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f"));
        message = message.arg(path, dir.path());
        QVERIFY(qc::writeWholeFile(path, "old", qc::WhenPresent::Replace));
        for (const bool named : { false, true }) {
            int failures = 0;
            const auto failing = [&](int fd) {
                if (systemError == EINTR && failures == 3)
                    return ::fsync(fd);
                ++failures;
                errno = systemError;
                return -1;
            };
            QString shown;
            try {
                const qc::ScopedSaveHooks hooks(folder
                        ? qc::SaveHooks { .namedTemporariesOnly = named, .folderFsync = failing }
                        : qc::SaveHooks { .fsync = failing, .namedTemporariesOnly = named });
                qc::writeWholeFile(path, "new", qc::WhenPresent::Replace);
            } catch (const qc::EInOutError &error) {
                shown = error.message();
            }
            QCOMPARE(shown, message);
            QCOMPARE(
                qctest::readFile(path), message.isEmpty() || folder ? QByteArray("new") : QByteArray("old"));
            QCOMPARE(
                QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { QStringLiteral("f") });
            QVERIFY(qc::writeWholeFile(path, "old", qc::WhenPresent::Replace));
        }
#endif
    }

    // A link stays a link and its target gets the new contents, with the target's permissions.
    void linkKeptTargetReplaced()
    {
#ifdef Q_OS_WIN
        QSKIP("Qt makes a Windows shortcut (.lnk) for a link, a file of its own that is not followed");
#endif
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("real")));
        const QString target = dir.filePath(QStringLiteral("real/f"));
        QVERIFY(qc::writeWholeFile(target, "one", qc::WhenPresent::Replace));
        QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        const QString link = dir.filePath(QStringLiteral("f"));
        QVERIFY(QFile::link(QStringLiteral("real/f"), link));

        QVERIFY(qc::writeWholeFile(link, "two", qc::WhenPresent::Replace));
        QVERIFY(!qc::writeWholeFile(link, "three", qc::WhenPresent::KeepExisting));

        QCOMPARE(QFileInfo(link).symLinkTarget(), target);
        QCOMPARE(qctest::readFile(target), QByteArray("two"));
        QCOMPARE(QFile::permissions(target) & ~QFileDevice::Permissions(0x0f00),
            QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(QDir(dir.filePath(QStringLiteral("real"))).entryList(QDir::Files | QDir::Hidden),
            QStringList { QStringLiteral("f") });
    }

    void folderInTheWay()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("f")));
        try {
            qc::writeWholeFile(dir.filePath(QStringLiteral("f")), "x", qc::WhenPresent::Replace);
            QFAIL("no error");
        } catch (const qc::EInOutError &error) {
            QCOMPARE(error.message(), QStringLiteral("File access denied"));
        }
        QVERIFY(QFileInfo(dir.filePath(QStringLiteral("f"))).isDir());
    }
};

QTEST_GUILESS_MAIN(TestSaveFile)
#include "tst_savefile.moc"
