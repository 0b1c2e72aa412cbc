// The birthday dialog driven as a user would: its controls, the buttons and keys, loading,
// saving (and every way a save can fail) and the reminder messages.
#include "core/birthdays.h"
#include "core/cp936.h"
#include "core/errors.h"
#include "core/programdir.h"
#include "messages.h"
#include "testsupport.h"
#include "usetup.h"

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace Qt::StringLiterals;
using qctest::birthdayRecord;
using qctest::settingsRecord;
using qctest::ZhangSan;

namespace {

struct Message
{
    qc::MessageKind kind;
    QString text;
};

} // namespace

class TestSetupForm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void controls_data();
    void controls();
    void dialogSettings();
    void load_data();
    void load();
    void listOrderAndText();
    void addEntry_data();
    void addEntry();
    void addWithEmptyFieldOnlyMovesFocus();
    void deleteEntry();
    void enterSavesEscDoesNothing_data();
    void enterSavesEscDoesNothing();
    void saveRoundTripKeepsBytes();
    void saveKeepsHeldRemindDays();
    void failedSaveKeepsEverything_data();
    void failedSaveKeepsEverything();
    void remindUsesListAndHeldDays();
    void placedOnceThenWhereLeft();
    void reopenedListShowsItsTop();
    void fieldsNamedByTheirLabels();

private:
    template<typename T> T *child(const char *name) const
    {
        return m_form->findChild<T *>(QLatin1String(name));
    }
    QStringList listTexts() const;
    void showForm();

    std::unique_ptr<qctest::ProgramDir> m_dir;
    std::unique_ptr<TSetupForm> m_form;
    QList<Message> m_messages;
    qctest::ScopedMessageHook m_hook { [this](qc::MessageKind kind, const QString &, const QString &text) {
        m_messages.append({ kind, text });
        return true;
    } };
};

void TestSetupForm::init()
{
    m_dir = std::make_unique<qctest::ProgramDir>();
    m_form = std::make_unique<TSetupForm>();
    m_messages.clear();
}

void TestSetupForm::cleanup()
{
    m_form.reset();
    m_dir.reset();
}

QStringList TestSetupForm::listTexts() const
{
    QStringList texts;
    const auto *list = child<QListWidget>("ListBox1");
    for (int row = 0; row < list->count(); ++row)
        texts.append(list->item(row)->text());
    return texts;
}

void TestSetupForm::showForm()
{
    m_form->show();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
}

void TestSetupForm::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    QTest::newRow("Panel1") << "Panel1" << QRect(0, 0, 275, 25) << "Quorvel Calendar Birthday";
    QTest::newRow("ListBox1") << "ListBox1" << QRect(0, 33, 169, 96) << "";
    QTest::newRow("Panel2") << "Panel2" << QRect(176, 33, 97, 96) << "";
    QTest::newRow("BitBtn2") << "BitBtn2" << QRect(8, 8, 81, 25) << u"添加"_s;
    QTest::newRow("BitBtn3") << "BitBtn3" << QRect(8, 32, 81, 25) << u"删除"_s;
    QTest::newRow("BitBtn4") << "BitBtn4" << QRect(8, 64, 81, 25) << u"提醒"_s;
    QTest::newRow("Edit1") << "Edit1" << QRect(8, 136, 25, 24) << "";
    QTest::newRow("Edit2") << "Edit2" << QRect(64, 136, 33, 24) << "";
    QTest::newRow("Edit3") << "Edit3" << QRect(176, 136, 97, 24) << "";
    QTest::newRow("Bevel1") << "Bevel1" << QRect(0, 168, 281, 17) << "";
    // Two pixels wider than designed, so that "255" is shown whole.
    QTest::newRow("Edit4") << "Edit4" << QRect(32, 176, 27, 24) << "3";
    QTest::newRow("BitBtn1") << "BitBtn1" << QRect(192, 176, 75, 25) << "OK";
    QTest::newRow("Label1") << "Label1" << QRect(40, 140, 0, 0) << u"月"_s;
    QTest::newRow("Label2") << "Label2" << QRect(104, 140, 0, 0) << u"日"_s;
    QTest::newRow("Label3") << "Label3" << QRect(136, 140, 0, 0) << u"姓名"_s;
    QTest::newRow("Label4") << "Label4" << QRect(8, 180, 0, 0) << u"在"_s;
    QTest::newRow("Label5") << "Label5" << QRect(64, 180, 0, 0) << u"天前开始提醒"_s;
}

void TestSetupForm::controls()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    const auto *widget = m_form->findChild<QWidget *>(name);
    QVERIFY(widget);
    if (geometry.isEmpty()) { // a label sized to its text: only its corner is fixed
        QCOMPARE(widget->pos(), geometry.topLeft());
        QVERIFY(widget->font().bold());
    } else {
        QCOMPARE(widget->geometry(), geometry);
    }
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        QCOMPARE(label->text(), text);
    if (const auto *button = qobject_cast<const QPushButton *>(widget)) {
        QCOMPARE(button->text(), text);
        // The pictures come with the first showing, not at start-up.
        QVERIFY(button->icon().isNull());
        m_form->show();
        QVERIFY(!button->icon().isNull());
    }
    if (const auto *edit = qobject_cast<const QLineEdit *>(widget))
        QCOMPARE(edit->text(), text);
}

void TestSetupForm::dialogSettings()
{
    QCOMPARE(m_form->windowTitle(), u"QuorvelCal  Birthday Notify"_s);
    QCOMPARE(m_form->size(), QSize(275, 208));
    QCOMPARE(m_form->minimumSize(), m_form->maximumSize());
    QCOMPARE(m_form->font().family(), u"宋体"_s);
    QCOMPARE(m_form->font().pixelSize(), 16);
    QCOMPARE(child<QWidget>("Panel1")->font().pixelSize(), 19);
    QCOMPARE(child<QWidget>("Panel2")->palette().color(QPalette::Window), QColor(255, 128, 128));
    QVERIFY(child<QPushButton>("BitBtn1")->isDefault());

    showForm();
    QCOMPARE(QApplication::focusWidget(), child<QWidget>("BitBtn1"));
    const QStringList tabOrder { "BitBtn1", "Edit1", "Edit2", "Edit3", "ListBox1", "BitBtn4", "BitBtn3",
        "BitBtn2", "Edit4", "BitBtn1" };
    for (const QString &name : tabOrder) {
        QCOMPARE(QApplication::focusWidget()->objectName(), name);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
}

void TestSetupForm::load_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("remindDays");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<bool>("shortRead");

    // Before each load the dialog holds RemindDays 9 (field "9") and one stale entry.
    const QByteArray one = birthdayRecord(3, 7, ZhangSan);
    QTest::newRow("missing") << false << QByteArray() << 3 << "9" << QStringList() << false;
    QTest::newRow("53 bytes") << true << settingsRecord(20) << 20 << "20" << QStringList() << false;
    QTest::newRow("106 bytes") << true << settingsRecord(0) + one << 0 << "0"
                               << QStringList { u"03-07  张三"_s } << false;
    QTest::newRow("empty") << true << QByteArray() << 9 << "9" << QStringList() << true;
    QTest::newRow("short settings") << true << settingsRecord(1).left(40) << 9 << "9" << QStringList()
                                    << true;
    QTest::newRow("ragged") << true << settingsRecord(5) + one + one.left(52) << 5 << "5"
                            << QStringList { u"03-07  张三"_s } << true;
}

void TestSetupForm::load()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, file);
    QFETCH(int, remindDays);
    QFETCH(QString, field);
    QFETCH(QStringList, entries);
    QFETCH(bool, shortRead);

    const QString path = qc::birthdayFilePath();
    QVERIFY(qctest::writeFile(path, settingsRecord(9) + birthdayRecord(1, 1, "stale")));
    m_form->LoadBirthdays();
    QFile::remove(path);
    if (exists) {
        QVERIFY(qctest::writeFile(path, file));
        // Read-only files are loaded as well: the permission bits must not matter for reading.
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
    }

    try {
        m_form->LoadBirthdays();
        QVERIFY(!shortRead);
    } catch (const qc::EInOutError &error) {
        QVERIFY(shortRead);
        QCOMPARE(error.message(), u"Read beyond end of file"_s);
    }
    QCOMPARE(m_form->RemindDays(), remindDays);
    QCOMPARE(child<QLineEdit>("Edit4")->text(), field);
    QCOMPARE(listTexts(), entries);
    QVERIFY(!m_form->isVisible());
    QCOMPARE(qctest::readFile(path), file); // loading never writes
}

void TestSetupForm::listOrderAndText()
{
    const QByteArray invalid("\x81\x20\xFF", 3);
    QVERIFY(qctest::writeFile(qc::birthdayFilePath(),
        settingsRecord(3) + birthdayRecord(12, 5, "b") + birthdayRecord(3, 7, "b") + birthdayRecord(3, 7, "A")
            + birthdayRecord(1, 2, invalid) + birthdayRecord(3, 7, ZhangSan)));
    m_form->LoadBirthdays();
    QCOMPARE(listTexts(),
        (QStringList { u"01-02  "_s + qc::cp936::decode(invalid), u"03-07  A"_s, u"03-07  b"_s,
            u"03-07  张三"_s, u"12-05  b"_s }));
    QCOMPARE(m_form->birthdayEntries().constFirst(), "01-02  " + invalid);
    QCOMPARE(m_form->birthdayEntries().at(3), "03-07  " + ZhangSan);
}

void TestSetupForm::addEntry_data()
{
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("day");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("entry"); // empty: refused with a message
    QTest::addColumn<QString>("focus");

    QTest::newRow("single digits padded") << "3"
                                          << "7" << u"张三"_s << u"03-07  张三"_s << "Edit1";
    QTest::newRow("two digits") << "12"
                                << "05"
                                << "x" << u"12-05  x"_s << "Edit1";
    QTest::newRow("empty name") << "2"
                                << "29"
                                << "" << u"02-29  "_s << "Edit1";
    QTest::newRow("month 13") << "13"
                              << "1"
                              << "x"
                              << ""
                              << "Edit1";
    QTest::newRow("month no number") << "a"
                                     << "1"
                                     << "x"
                                     << ""
                                     << "Edit1";
    QTest::newRow("30 February") << "2"
                                 << "30"
                                 << "x"
                                 << ""
                                 << "Edit2";
    QTest::newRow("name too long") << "1"
                                   << "1" << QString(26, u'汉') << ""
                                   << "Edit3";
    QTest::newRow("name not storable") << "1"
                                       << "1" << u"😀"_s << ""
                                       << "Edit3";
}

void TestSetupForm::addEntry()
{
    QFETCH(QString, month);
    QFETCH(QString, day);
    QFETCH(QString, name);
    QFETCH(QString, entry);
    QFETCH(QString, focus);

    QVERIFY(qctest::writeFile(
        qc::birthdayFilePath(), settingsRecord(3) + birthdayRecord(1, 1, "a") + birthdayRecord(12, 31, "z")));
    m_form->LoadBirthdays();
    showForm();
    const QByteArray fileBefore = qctest::readFile(qc::birthdayFilePath());
    QTest::keyClicks(child<QLineEdit>("Edit1"), month);
    QTest::keyClicks(child<QLineEdit>("Edit2"), day);
    child<QLineEdit>("Edit3")->setText(name); // typed input of characters outside the keyboard
    QTest::mouseClick(child<QPushButton>("BitBtn2"), Qt::LeftButton);

    if (entry.isEmpty()) {
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].kind, qc::MessageKind::Error);
        QCOMPARE(listTexts(), (QStringList { u"01-01  a"_s, u"12-31  z"_s }));
        QCOMPARE(child<QLineEdit>("Edit1")->text(), month);
        QCOMPARE(child<QLineEdit>("Edit2")->text(), day);
        QCOMPARE(child<QLineEdit>("Edit3")->text(), name);
    } else {
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(listTexts(), (QStringList { u"01-01  a"_s, entry, u"12-31  z"_s }));
        for (const char *field : { "Edit1", "Edit2", "Edit3" })
            QVERIFY(child<QLineEdit>(field)->text().isEmpty());
    }
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    QVERIFY(m_form->isVisible());
    QCOMPARE(qctest::readFile(qc::birthdayFilePath()), fileBefore);
}

void TestSetupForm::addWithEmptyFieldOnlyMovesFocus()
{
    showForm();
    child<QLineEdit>("Edit1")->setText(u"3"_s);
    child<QLineEdit>("Edit3")->setText(u"x"_s);
    QTest::mouseClick(child<QPushButton>("BitBtn2"), Qt::LeftButton);
    QVERIFY(listTexts().isEmpty());
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(QApplication::focusWidget(), child<QWidget>("Edit1"));
    QCOMPARE(child<QLineEdit>("Edit1")->text(), u"3"_s);
}

void TestSetupForm::deleteEntry()
{
    QVERIFY(qctest::writeFile(qc::birthdayFilePath(),
        settingsRecord(3) + birthdayRecord(1, 1, "a") + birthdayRecord(2, 2, "b") + birthdayRecord(3, 3, "c")
            + birthdayRecord(4, 4, "d")));
    m_form->LoadBirthdays();
    showForm();
    auto *list = child<QListWidget>("ListBox1");
    auto *remove = child<QPushButton>("BitBtn3");

    QTest::mouseClick(remove, Qt::LeftButton);
    QCOMPARE(list->count(), 4);

    // The user picks the second entry, then presses twice, once more with Space on the still
    // focused button, and double-clicks it: only the picked entry goes.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    QTest::mouseClick(remove, Qt::LeftButton);
    QTest::mouseClick(remove, Qt::LeftButton);
    remove->setFocus();
    QTest::keyClick(remove, Qt::Key_Space);
    QTest::mouseDClick(remove, Qt::LeftButton);
    QCOMPARE(listTexts(), (QStringList { u"01-01  a"_s, u"03-03  c"_s, u"04-04  d"_s }));
    QVERIFY(list->selectedItems().isEmpty());

    // A new entry is shown but not selected, so "删除" right after "添加" takes nothing away.
    child<QLineEdit>("Edit1")->setText(u"2"_s);
    child<QLineEdit>("Edit2")->setText(u"2"_s);
    child<QLineEdit>("Edit3")->setText(u"b"_s);
    QTest::mouseClick(child<QPushButton>("BitBtn2"), Qt::LeftButton);
    QTest::mouseClick(remove, Qt::LeftButton);
    QCOMPARE(listTexts(), (QStringList { u"01-01  a"_s, u"02-02  b"_s, u"03-03  c"_s, u"04-04  d"_s }));
    QVERIFY(m_messages.isEmpty());
}

void TestSetupForm::enterSavesEscDoesNothing_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("saved");
    QTest::newRow("Enter in the name field") << "Edit3" << int(Qt::Key_Return) << true;
    QTest::newRow("Enter in the month field") << "Edit1" << int(Qt::Key_Enter) << true;
    QTest::newRow("Enter in the list") << "ListBox1" << int(Qt::Key_Return) << true;
    QTest::newRow("Enter in the remind field") << "Edit4" << int(Qt::Key_Return) << true;
    QTest::newRow("Esc in the name field") << "Edit3" << int(Qt::Key_Escape) << false;
    QTest::newRow("Esc in the list") << "ListBox1" << int(Qt::Key_Escape) << false;
}

void TestSetupForm::enterSavesEscDoesNothing()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(bool, saved);

    QVERIFY(qctest::writeFile(qc::birthdayFilePath(), settingsRecord(3) + birthdayRecord(2, 2, "b")));
    m_form->LoadBirthdays();
    showForm();
    child<QLineEdit>("Edit1")->setText(u"5"_s);
    child<QLineEdit>("Edit2")->setText(u"5"_s);
    child<QLineEdit>("Edit3")->setText(u"typed"_s);
    child<QLineEdit>("Edit4")->setText(u"7"_s);
    QWidget *target = m_form->findChild<QWidget *>(focus);
    target->setFocus();
    QTest::keyClick(target, Qt::Key(key));

    QCOMPARE(m_form->isVisible(), !saved);
    // Enter saves the list as it stands; the typed but unadded entry is not part of it.
    QCOMPARE(qctest::readFile(qc::birthdayFilePath()),
        saved ? settingsRecord(7) + birthdayRecord(2, 2, "b")
              : settingsRecord(3) + birthdayRecord(2, 2, "b"));
    QVERIFY(m_messages.isEmpty());
}

void TestSetupForm::saveRoundTripKeepsBytes()
{
    // Bytes no code page character is made of, a dangling lead byte, and a name of 50 bytes.
    const QByteArray file = settingsRecord(200) + birthdayRecord(1, 2, QByteArray("\x81\x20\xFF\x80", 4))
        + birthdayRecord(3, 7, QByteArray("ab\xB0", 3)) + birthdayRecord(12, 31, QByteArray(50, '\xA1'))
        + birthdayRecord(12, 31, ZhangSan);
    QVERIFY(qctest::writeFile(qc::birthdayFilePath(), file));
    m_form->LoadBirthdays();
    m_form->BitBtn1Click();
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(qctest::readFile(qc::birthdayFilePath()), file);
}

void TestSetupForm::saveKeepsHeldRemindDays()
{
    m_form->LoadBirthdays(); // no file: RemindDays 3
    child<QLineEdit>("Edit4")->setText(u" 10"_s);
    m_form->BitBtn1Click();
    QCOMPARE(qctest::readFile(qc::birthdayFilePath()), settingsRecord(10));
    QCOMPARE(m_form->RemindDays(), 3);
    m_form->LoadBirthdays();
    QCOMPARE(m_form->RemindDays(), 10);
    QCOMPARE(child<QLineEdit>("Edit4")->text(), u"10"_s);
}

void TestSetupForm::failedSaveKeepsEverything_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("remindText");
    QTest::addColumn<QString>("message");
    QTest::newRow("remind days no number") << ""
                                           << "7 " << u"'7 ' is not a valid integer value."_s;
    QTest::newRow("remind days too large") << ""
                                           << "300" << u"提醒天数应为 0 到 255 之间的整数."_s;
    QTest::newRow("read-only file") << "read-only"
                                    << "3" << u"File access denied."_s;
    QTest::newRow("directory in the way") << "directory"
                                          << "3" << u"File access denied."_s;
    QTest::newRow("unwritable place") << "proc"
                                      << "3" << u"File access denied."_s;
}

void TestSetupForm::failedSaveKeepsEverything()
{
    QFETCH(QString, how);
    QFETCH(QString, remindText);
    QFETCH(QString, message);

    const QByteArray old = settingsRecord(4) + birthdayRecord(1, 1, "old");
    QVERIFY(qctest::writeFile(qc::birthdayFilePath(), old));
    m_form->LoadBirthdays();
    QString path = qc::birthdayFilePath();
    std::optional<qctest::ProgramDir> unwritable;
    if (how == u"read-only") {
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    } else if (how == u"directory") {
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkpath(path));
    } else if (how == u"proc") {
        unwritable.emplace(u"/proc"_s);
    }

    showForm();
    child<QLineEdit>("Edit1")->setText(u"2"_s);
    child<QLineEdit>("Edit2")->setText(u"2"_s);
    QTest::mouseClick(child<QPushButton>("BitBtn2"), Qt::LeftButton);
    child<QLineEdit>("Edit4")->setText(remindText);
    QTest::mouseClick(child<QPushButton>("BitBtn1"), Qt::LeftButton);

    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].kind, qc::MessageKind::Error);
    QCOMPARE(m_messages[0].text, message);
    QVERIFY(m_form->isVisible());
    QCOMPARE(listTexts(), (QStringList { u"01-01  old"_s, u"02-02  "_s }));
    QCOMPARE(child<QLineEdit>("Edit4")->text(), remindText);
    if (how == u"directory")
        QVERIFY(QFileInfo(path).isDir());
    else if (how != u"proc")
        QCOMPARE(qctest::readFile(path), old);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden).size(), how == u"directory" ? 0 : 1);
}

void TestSetupForm::remindUsesListAndHeldDays()
{
    qctest::fixToday(QDate(2023, 12, 30));
    QVERIFY(qctest::writeFile(qc::birthdayFilePath(),
        settingsRecord(3) + birthdayRecord(1, 1, ZhangSan) + birthdayRecord(12, 30, "b")
            + birthdayRecord(12, 30, "a") + birthdayRecord(1, 2, "late")));
    m_form->LoadBirthdays();
    child<QLineEdit>("Edit4")->setText(u"0"_s); // not saved: the loaded 3 still counts
    showForm();
    child<QLineEdit>("Edit1")->setText(u"12"_s);
    child<QLineEdit>("Edit2")->setText(u"31"_s);
    child<QLineEdit>("Edit3")->setText(u"unsaved"_s);
    QTest::mouseClick(child<QPushButton>("BitBtn2"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>("BitBtn4"), Qt::LeftButton);

    QStringList shown;
    for (const Message &message : std::as_const(m_messages)) {
        QCOMPARE(message.kind, qc::MessageKind::Information);
        shown.append(message.text);
    }
    QCOMPARE(shown,
        (QStringList { u"生日提醒：12月30日是a的生日"_s, u"生日提醒：12月30日是b的生日"_s,
            u"生日提醒：12月31日是unsaved的生日"_s, u"生日提醒：1月1日是张三的生日"_s }));
    QVERIFY(m_form->isVisible());
}

void TestSetupForm::placedOnceThenWhereLeft()
{
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    const QRect screen = m_form->screen()->availableGeometry();
    QVERIFY(qAbs(m_form->frameGeometry().center().x() - screen.center().x()) <= 8);
    QVERIFY(qAbs(m_form->frameGeometry().center().y() - screen.center().y()) <= 40);

    m_form->move(20, 30);
    const QPoint left = m_form->pos();
    m_form->hide();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    QCOMPARE(m_form->pos(), left);
}

void TestSetupForm::reopenedListShowsItsTop()
{
    QByteArray file = settingsRecord(3);
    for (int day = 1; day <= 12; ++day)
        file += birthdayRecord(1, day, "x");
    QVERIFY(qctest::writeFile(qc::birthdayFilePath(), file));
    auto *list = child<QListWidget>("ListBox1");
    const auto firstShown
        = [list] { return list->viewport()->rect().contains(list->visualItemRect(list->item(0))); };
    m_form->LoadBirthdays();
    showForm();
    QVERIFY(firstShown());
    list->scrollToBottom();
    QVERIFY(!firstShown());
    m_form->hide();

    m_form->LoadBirthdays();
    showForm();
    QVERIFY(firstShown());
}

void TestSetupForm::fieldsNamedByTheirLabels()
{
    const QList<std::pair<const char *, QString>> fields { { "Edit1", u"月"_s }, { "Edit2", u"日"_s },
        { "Edit3", u"姓名"_s }, { "Edit4", u"在…天前开始提醒"_s } };
    for (const auto &[name, label] : fields) {
        QAccessibleInterface *field = QAccessible::queryAccessibleInterface(child<QWidget>(name));
        QVERIFY(field);
        QCOMPARE(field->text(QAccessible::Name), label);
    }
}

QTEST_MAIN(TestSetupForm)
#include "tst_usetup.moc"
