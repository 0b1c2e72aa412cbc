// Writing a file whole: what a failure is called, and which file wins when one is already there.
#include "core/errors.h"
#include "core/savefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

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
        // errno 5 must not read as the classic code 5, "File access denied".
        QTest::newRow("device error") << EIO << "I/O error 29";
    }
    void systemErrors()
    {
        QFETCH(int, systemError);
        QFETCH(QString, message);
        QCOMPARE(qc::ioErrorMessage(qc::ioErrorCodeFromErrno(systemError)), message);
    }

    void replacesOrKeeps()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("f"));
        QVERIFY(qc::writeWholeFile(path, "one", qc::WhenPresent::Replace));
        QVERIFY(qc::writeWholeFile(path, "two", qc::WhenPresent::Replace));
        QVERIFY(!qc::writeWholeFile(path, "three", qc::WhenPresent::KeepExisting));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("two"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { QStringLiteral("f") });
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
        QFile file(target);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("two"));
        QCOMPARE(file.permissions() & ~QFileDevice::Permissions(0x0f00),
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
