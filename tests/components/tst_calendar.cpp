// The month grid driven as a user and an owner would: layouts, the date-element setter,
// keyboard and mouse selection, geometry and what ends up on screen.
#include "components/calendar.h"
#include "core/errors.h"
#include "core/monthlayout.h"
#include "testsupport.h"

#include <QAccessible>
#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

namespace {

// A window that records the keys the grid leaves to it.
class Window : public QWidget
{
public:
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent *event) override { keys.append(event->key()); }
};

class CountingCalendar : public TCalendar
{
public:
    using TCalendar::labelOrigin;
    using TCalendar::TCalendar;
    QList<QPoint> painted;

protected:
    void PaintCell(int column, int row, const QRect &rect, QPainter &painter) override
    {
        painted.append(QPoint(column, row));
        TCalendar::PaintCell(column, row, rect, painter);
    }
};

// A derived control with the Julian leap rule, which makes 1900 a leap year.
class JulianCalendar : public CountingCalendar
{
public:
    using CountingCalendar::CountingCalendar;
    bool LeapYear(int year) const override { return year % 4 == 0; }
};

// The grid at its main-window size beside a line edit, showing the month of `today`.
// The log records "click <day seen>" and "change <new day>" in the order they happen.
struct Fixture
{
    Window window;
    CountingCalendar *cal;
    QLineEdit *other;
    QStringList log;

    explicit Fixture(QDate today)
    {
        qctest::fixToday(today);
        cal = new CountingCalendar(&window);
        cal->setGeometry(0, 0, 441, 143);
        other = new QLineEdit(&window);
        other->setGeometry(0, 150, 100, 20);
        window.resize(441, 180);
        QObject::connect(cal, &TCalendar::OnClick, cal,
            [this](QObject *) { log.append(QStringLiteral("click %1").arg(cal->Day())); });
        QObject::connect(cal, &TCalendar::OnChange, cal,
            [this](QObject *) { log.append(QStringLiteral("change %1").arg(cal->Day())); });
    }

    bool show()
    {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }

    QPoint centre(int column, int row) const { return cal->CellRect(column, row).center(); }
};

QPoint cellOf(const TCalendar &cal, int day)
{
    return qc::layout::cellOfDay(cal.MonthOffset(), day);
}

} // namespace

class tst_Calendar : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qctest::fixToday(QDate(2000, 1, 15)); }

    void creation();
    void layout_data();
    void layout();
    void monthLength_data();
    void monthLength();
    void derivedLeapYear();
    void dateWrites_data();
    void dateWrites();
    void startOfWeek();
    void useCurrentDate();
    void keyboard_data();
    void keyboard();
    void keysLeftToWindow();
    void keyDownCancels();
    void mouse_data();
    void mouse();
    void edgeStepping_data();
    void edgeStepping();
    void doubleClick();
    void focusLossEndsSelection();
    void readOnly();
    void geometry();
    void repaintsOnlyOldAndNewCell();
    void rendering();
    void walkedAsTable();
};

void tst_Calendar::creation()
{
    qctest::fixToday(QDate(2015, 2, 14));
    TCalendar cal;
    QCOMPARE(cal.HeldDate(), qc::fromQDate(QDate(2015, 2, 14)));
    QVERIFY(cal.UseCurrentDate());
    QVERIFY(!cal.ReadOnly());
    QCOMPARE(cal.StartOfWeek(), 0);
    QCOMPARE(cal.currentCell(), QPoint(6, 2));
    QCOMPARE(cal.GridLineWidth(), 1);
    QCOMPARE(cal.Color(), cal.palette().color(QPalette::Base));
    QCOMPARE(cal.focusPolicy(), Qt::StrongFocus);
}

void tst_Calendar::layout_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("startOfWeek");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QPoint>("firstDay");
    QTest::addColumn<QPoint>("lastDay");

    // 1 January 2000 is a Saturday.
    QTest::newRow("Jan 2000, Sunday first") << QDate(2000, 1, 1) << 0 << -5 << QPoint(6, 1) << QPoint(1, 6);
    QTest::newRow("Jan 2000, Monday first") << QDate(2000, 1, 1) << 1 << -4 << QPoint(5, 1) << QPoint(0, 6);
    QTest::newRow("Jan 2000, Saturday first") << QDate(2000, 1, 31) << 6 << 1 << QPoint(0, 1) << QPoint(2, 5);
    // 1 February 2015 is a Sunday: a full blank week before it, rows 5 and 6 empty.
    QTest::newRow("Feb 2015, Sunday first") << QDate(2015, 2, 28) << 0 << 1 << QPoint(0, 1) << QPoint(6, 4);
    QTest::newRow("Feb 2015, Monday first") << QDate(2015, 2, 1) << 1 << -5 << QPoint(6, 1) << QPoint(5, 5);
    QTest::newRow("Dec 9999") << QDate(9999, 12, 31) << 0 << -2 << QPoint(3, 1) << QPoint(5, 5);
    QTest::newRow("1 January 1, a Monday") << QDate(1, 1, 1) << 0 << 0 << QPoint(1, 1) << QPoint(3, 5);
}

void tst_Calendar::layout()
{
    QFETCH(QDate, date);
    QFETCH(int, startOfWeek);
    QFETCH(int, offset);
    QFETCH(QPoint, firstDay);
    QFETCH(QPoint, lastDay);

    qctest::fixToday(date);
    TCalendar cal;
    QSignalSpy changes(&cal, &TCalendar::OnChange);
    cal.setStartOfWeek(startOfWeek);
    QCOMPARE(changes.count(), 0);
    QCOMPARE(cal.MonthOffset(), offset);
    QCOMPARE(cal.currentCell(), cellOf(cal, date.day()));

    const int length = date.daysInMonth();
    int expected = 0;
    for (int row = 1; row < 7; ++row) {
        for (int column = 0; column < 7; ++column) {
            const QPoint cell(column, row);
            const bool inMonth = (row > firstDay.y() || (row == firstDay.y() && column >= firstDay.x()))
                && (row < lastDay.y() || (row == lastDay.y() && column <= lastDay.x()));
            QCOMPARE(cal.CellLabel(column, row), inMonth ? QString::number(++expected) : QString());
        }
    }
    QCOMPARE(expected, length);
    QCOMPARE(cal.CellLabel(firstDay.x(), firstDay.y()), QStringLiteral("1"));

    const QStringList &names = TCalendar::dayNames();
    QCOMPARE(names.size(), 7);
    QCOMPARE(cal.CellLabel(0, 0), names.at(startOfWeek));
    QCOMPARE(cal.CellLabel(6, 0), names.at((startOfWeek + 6) % 7));
}

void tst_Calendar::monthLength_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("length");
    QTest::newRow("1900") << 1900 << 28;
    QTest::newRow("2000") << 2000 << 29;
    QTest::newRow("2004") << 2004 << 29;
    QTest::newRow("2100") << 2100 << 28;
    QTest::newRow("2015") << 2015 << 28;
}

void tst_Calendar::monthLength()
{
    QFETCH(int, year);
    QFETCH(int, length);
    qctest::fixToday(QDate(year, 2, 1));
    TCalendar cal;
    QCOMPARE(cal.MonthLength(year, 2), length);
    QCOMPARE(cal.CurrentMonthLength(), length);
    QCOMPARE(cal.LeapYear(year), length == 29);
    QCOMPARE(cal.CellLabel(cellOf(cal, length).x(), cellOf(cal, length).y()), QString::number(length));
    const QPoint after = cellOf(cal, length + 1);
    QCOMPARE(cal.CellLabel(after.x(), after.y()), QString());
    QCOMPARE(cal.MonthLength(year, 4), 30);
    QCOMPARE(cal.MonthLength(year, 12), 31);
}

void tst_Calendar::derivedLeapYear()
{
    qctest::fixToday(QDate(1900, 1, 10));
    Window window;
    auto *cal = new JulianCalendar(&window);
    cal->setGeometry(0, 0, 441, 143);
    window.resize(441, 143);
    cal->setMonth(2);
    QCOMPARE(cal->MonthLength(1900, 2), 29);
    QCOMPARE(cal->CurrentMonthLength(), 29);
    const QPoint day29 = cellOf(*cal, 29);
    QCOMPARE(cal->CellLabel(day29.x(), day29.y()), QStringLiteral("29"));

    // February 1906 starts on the same weekday but is a day shorter here: the 29 must be repainted away.
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();
    cal->painted.clear();
    cal->setYear(1906);
    QCOMPARE(cal->CellLabel(day29.x(), day29.y()), QString());
    QTRY_VERIFY(cal->painted.contains(day29));
    qctest::fixToday(QDate(2000, 1, 15));
}

void tst_Calendar::dateWrites_data()
{
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QString>("element");
    QTest::addColumn<int>("value");
    QTest::addColumn<QDate>("result"); // invalid: refused with the error; equal to start: ignored

    const QDate none;
    QTest::newRow("31 Jan, Month 2") << QDate(2000, 1, 31) << "Month" << 2 << none;
    QTest::newRow("31 Jan, Month 3") << QDate(2000, 1, 31) << "Month" << 3 << QDate(2000, 3, 31);
    QTest::newRow("31 Mar, Month 4") << QDate(2000, 3, 31) << "Month" << 4 << none;
    QTest::newRow("29 Feb 2000, Year 2001") << QDate(2000, 2, 29) << "Year" << 2001 << none;
    QTest::newRow("29 Feb 2000, Year 2004") << QDate(2000, 2, 29) << "Year" << 2004 << QDate(2004, 2, 29);
    QTest::newRow("Year 10000") << QDate(2000, 1, 15) << "Year" << 10000 << none;
    QTest::newRow("Year 9999") << QDate(2000, 1, 15) << "Year" << 9999 << QDate(9999, 1, 15);
    QTest::newRow("Year 1") << QDate(2000, 1, 15) << "Year" << 1 << QDate(1, 1, 15);
    QTest::newRow("Day 31 in January") << QDate(2000, 1, 15) << "Day" << 31 << QDate(2000, 1, 31);
    QTest::newRow("Month 12") << QDate(2000, 1, 15) << "Month" << 12 << QDate(2000, 12, 15);

    const QDate start(2000, 4, 15);
    QTest::newRow("Month 13 ignored") << start << "Month" << 13 << start;
    QTest::newRow("Month 0 ignored") << start << "Month" << 0 << start;
    QTest::newRow("Day 0 ignored") << start << "Day" << 0 << start;
    QTest::newRow("Day 31 in April ignored") << start << "Day" << 31 << start;
    QTest::newRow("Year 0 ignored") << start << "Year" << 0 << start;
    QTest::newRow("Year -2000 ignored") << start << "Year" << -2000 << start;
    QTest::newRow("same Day ignored") << start << "Day" << 15 << start;
    QTest::newRow("same Month ignored") << start << "Month" << 4 << start;
    QTest::newRow("same Year ignored") << start << "Year" << 2000 << start;
}

void tst_Calendar::dateWrites()
{
    QFETCH(QDate, start);
    QFETCH(QString, element);
    QFETCH(int, value);
    QFETCH(QDate, result);

    qctest::fixToday(start);
    TCalendar cal;
    const QPoint cell = cal.currentCell();
    QSignalSpy changes(&cal, &TCalendar::OnChange);

    bool refused = false;
    try {
        QVERIFY(cal.setProperty(element.toLatin1().constData(), value));
    } catch (const qc::EConvertError &error) {
        refused = true;
        QCOMPARE(error.message(), QStringLiteral("Invalid argument to date encode"));
    }

    if (!result.isValid() || result == start) {
        QCOMPARE(refused, !result.isValid());
        QCOMPARE(cal.HeldDate(), qc::fromQDate(start));
        QVERIFY(cal.UseCurrentDate());
        QCOMPARE(cal.currentCell(), cell);
        QCOMPARE(changes.count(), 0);
        return;
    }
    QVERIFY(!refused);
    QCOMPARE(cal.HeldDate(), qc::fromQDate(result));
    QCOMPARE(QDate(cal.Year(), cal.Month(), cal.Day()), result);
    QVERIFY(!cal.UseCurrentDate());
    QCOMPARE(cal.currentCell(), cellOf(cal, result.day()));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes.at(0).at(0).value<QObject *>(), &cal);
}

void tst_Calendar::startOfWeek()
{
    qctest::fixToday(QDate(2000, 1, 15)); // Saturday: last column with Sunday first
    TCalendar cal;
    QSignalSpy changes(&cal, &TCalendar::OnChange);
    QCOMPARE(cal.currentCell(), QPoint(6, 3));

    cal.setStartOfWeek(1);
    QCOMPARE(cal.MonthOffset(), -4);
    QCOMPARE(cal.currentCell(), QPoint(5, 3));
    cal.setStartOfWeek(6);
    QCOMPARE(cal.currentCell(), QPoint(0, 3));
    // Not a weekday: ignored rather than producing a header of unknown names.
    cal.setStartOfWeek(7);
    cal.setStartOfWeek(-1);
    QCOMPARE(cal.StartOfWeek(), 6);
    QCOMPARE(cal.currentCell(), QPoint(0, 3));
    QCOMPARE(changes.count(), 0);
    QVERIFY(cal.UseCurrentDate());
}

void tst_Calendar::useCurrentDate()
{
    qctest::fixToday(QDate(2000, 1, 15));
    TCalendar cal;
    cal.setMonth(3);
    cal.setDay(20);
    QVERIFY(!cal.UseCurrentDate());
    QSignalSpy changes(&cal, &TCalendar::OnChange);

    cal.setUseCurrentDate(false);
    QCOMPARE(cal.HeldDate(), qc::fromQDate(QDate(2000, 3, 20)));

    // Only switching it on follows the clock, and once: the date does not track today later.
    qctest::fixToday(QDate(2000, 1, 16));
    cal.setUseCurrentDate(true);
    QCOMPARE(cal.HeldDate(), qc::fromQDate(QDate(2000, 1, 16)));
    QCOMPARE(cal.currentCell(), cellOf(cal, 16));
    qctest::fixToday(QDate(2000, 1, 17));
    cal.setUseCurrentDate(true);
    QCOMPARE(cal.Day(), 16);
    QCOMPARE(changes.count(), 0);
    qctest::fixToday(QDate(2000, 1, 15));
}

void tst_Calendar::keyboard_data()
{
    QTest::addColumn<QDate>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QStringList>("log");

    // January 2000, Sunday first: day 1 at (6, 1), day 31 at (1, 6).
    const Qt::KeyboardModifiers none;
    const QStringList nothing;
    QTest::newRow("Right in column 6") << QDate(2000, 1, 1) << int(Qt::Key_Right) << none << nothing;
    QTest::newRow("Up in row 1") << QDate(2000, 1, 1) << int(Qt::Key_Up) << none << nothing;
    QTest::newRow("Down in row 6") << QDate(2000, 1, 30) << int(Qt::Key_Down) << none << nothing;
    QTest::newRow("Left in column 0") << QDate(2000, 1, 30) << int(Qt::Key_Left) << none << nothing;
    QTest::newRow("Ctrl+Up") << QDate(2000, 1, 15) << int(Qt::Key_Up)
                             << Qt::KeyboardModifiers(Qt::ControlModifier) << nothing;
    QTest::newRow("Ctrl+Down") << QDate(2000, 1, 15) << int(Qt::Key_Down)
                               << Qt::KeyboardModifiers(Qt::ControlModifier) << nothing;
    QTest::newRow("Ctrl+Up in row 1")
        << QDate(2000, 1, 1) << int(Qt::Key_Up) << Qt::KeyboardModifiers(Qt::ControlModifier) << nothing;
    QTest::newRow("Right on day 10") << QDate(2000, 1, 10) << int(Qt::Key_Right) << none
                                     << QStringList { "click 10", "change 11" };
    QTest::newRow("Shift+Right on day 10")
        << QDate(2000, 1, 10) << int(Qt::Key_Right) << Qt::KeyboardModifiers(Qt::ShiftModifier)
        << QStringList { "click 10", "change 11" };
    QTest::newRow("Left on day 1 onto blank")
        << QDate(2000, 1, 1) << int(Qt::Key_Left) << none << QStringList { "click 1" };
    QTest::newRow("Ctrl+Home onto blank")
        << QDate(2000, 1, 15) << int(Qt::Key_Home) << Qt::KeyboardModifiers(Qt::ControlModifier)
        << QStringList { "click 15" };
    QTest::newRow("Ctrl+End onto blank")
        << QDate(2000, 1, 15) << int(Qt::Key_End) << Qt::KeyboardModifiers(Qt::ControlModifier)
        << QStringList { "click 15" };
    QTest::newRow("Home") << QDate(2000, 1, 12) << int(Qt::Key_Home) << none
                          << QStringList { "click 12", "change 9" };
    QTest::newRow("End") << QDate(2000, 1, 12) << int(Qt::Key_End) << none
                         << QStringList { "click 12", "change 15" };
    QTest::newRow("Up") << QDate(2000, 1, 12) << int(Qt::Key_Up) << none
                        << QStringList { "click 12", "change 5" };
    QTest::newRow("Down") << QDate(2000, 1, 12) << int(Qt::Key_Down) << none
                          << QStringList { "click 12", "change 19" };
    QTest::newRow("Ctrl+Left") << QDate(2000, 1, 15) << int(Qt::Key_Left)
                               << Qt::KeyboardModifiers(Qt::ControlModifier)
                               << QStringList { "click 15", "change 9" };
    QTest::newRow("Ctrl+Right clamps")
        << QDate(2000, 1, 10) << int(Qt::Key_Right) << Qt::KeyboardModifiers(Qt::ControlModifier)
        << QStringList { "click 10", "change 15" };
    QTest::newRow("Page Down clamps to row 6")
        << QDate(2000, 1, 3) << int(Qt::Key_PageDown) << none << QStringList { "click 3", "change 31" };
    QTest::newRow("Page Up clamps to row 1 blank")
        << QDate(2000, 1, 10) << int(Qt::Key_PageUp) << none << QStringList { "click 10" };
    QTest::newRow("Ctrl+Page Down") << QDate(2000, 1, 2) << int(Qt::Key_PageDown)
                                    << Qt::KeyboardModifiers(Qt::ControlModifier)
                                    << QStringList { "click 2", "change 30" };
    QTest::newRow("Ctrl+Page Up onto blank")
        << QDate(2000, 1, 2) << int(Qt::Key_PageUp) << Qt::KeyboardModifiers(Qt::ControlModifier)
        << QStringList { "click 2" };
}

void tst_Calendar::keyboard()
{
    QFETCH(QDate, start);
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QStringList, log);

    Fixture f(start);
    QVERIFY(f.show());
    f.cal->setFocus();
    const QPoint before = f.cal->currentCell();
    QTest::keyClick(f.cal, Qt::Key(key), modifiers);
    QCOMPARE(f.log, log);
    // A navigation key is the grid's even when it moves nothing (the modifier keys are not).
    QVERIFY(!f.window.keys.contains(key));
    const int day = log.isEmpty() ? start.day() : log.last().section(QLatin1Char(' '), 1).toInt();
    QCOMPARE(f.cal->Day(), day);
    if (log.size() < 2)
        QCOMPARE(f.cal->currentCell(), before);
    else
        QCOMPARE(f.cal->currentCell(), cellOf(*f.cal, day));
}

void tst_Calendar::keysLeftToWindow()
{
    Fixture f(QDate(2000, 1, 15));
    QVERIFY(f.show());
    f.cal->setFocus();
    for (const int key : { int(Qt::Key_Return), int(Qt::Key_Escape), int(Qt::Key_F2), int(Qt::Key_A) })
        QTest::keyClick(f.cal, Qt::Key(key));
    QTest::keyClick(f.cal, Qt::Key_Left);
    QCOMPARE(f.window.keys, (QList<int> { Qt::Key_Return, Qt::Key_Escape, Qt::Key_F2, Qt::Key_A }));
    QCOMPARE(f.cal->Day(), 14);

    QTest::keyClick(f.cal, Qt::Key_Tab);
    QVERIFY(f.other->hasFocus());
    QTest::keyClick(f.other, Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(f.cal->hasFocus());
}

void tst_Calendar::keyDownCancels()
{
    Fixture f(QDate(2000, 1, 10));
    QVERIFY(f.show());
    f.cal->setFocus();
    QList<int> seen;
    QObject::connect(
        f.cal, &TCellGrid::OnKeyDown, f.cal, [&](QObject *sender, int &key, Qt::KeyboardModifiers) {
            QCOMPARE(sender, f.cal);
            seen.append(key);
            if (key == Qt::Key_Right)
                key = 0;
            else if (key == Qt::Key_Up)
                key = Qt::Key_Down; // a handler may also change the key
        });
    QTest::keyClick(f.cal, Qt::Key_Right);
    QCOMPARE(f.cal->Day(), 10);
    QVERIFY(f.log.isEmpty());
    QVERIFY(f.window.keys.isEmpty());
    QTest::keyClick(f.cal, Qt::Key_Up);
    QCOMPARE(f.cal->Day(), 17);
    QCOMPARE(seen, (QList<int> { Qt::Key_Right, Qt::Key_Up }));
}

void tst_Calendar::mouse_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QPoint>("pos"); // widget coordinates; cells are 61 x 19 from (2, 2), step 62 x 20
    QTest::addColumn<QStringList>("log");

    // Held 15 January 2000, Sunday first.
    QTest::newRow("day 18") << Qt::LeftButton << QPoint(2 + 2 * 62 + 30, 2 + 4 * 20 + 9)
                            << QStringList { "click 15", "change 18" };
    QTest::newRow("grid line after day 18") << Qt::LeftButton << QPoint(2 + 2 * 62 + 61, 2 + 4 * 20 + 19)
                                            << QStringList { "click 15", "change 18" };
    QTest::newRow("blank cell") << Qt::LeftButton << QPoint(2 + 30, 2 + 20 + 9) << QStringList { "click 15" };
    QTest::newRow("header") << Qt::LeftButton << QPoint(2 + 3 * 62 + 30, 9) << QStringList();
    QTest::newRow("right of last line") << Qt::LeftButton << QPoint(437, 60) << QStringList();
    QTest::newRow("right button on day 18")
        << Qt::RightButton << QPoint(2 + 2 * 62 + 30, 2 + 4 * 20 + 9) << QStringList();
}

void tst_Calendar::mouse()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(QPoint, pos);
    QFETCH(QStringList, log);

    Fixture f(QDate(2000, 1, 15));
    QVERIFY(f.show());
    f.other->setFocus();
    const QPoint before = f.cal->currentCell();
    QTest::mouseClick(f.cal, button, {}, pos);
    QVERIFY(f.cal->hasFocus()); // every press takes the focus
    QCOMPARE(f.log, log);
    if (log.size() == 2)
        QCOMPARE(f.cal->currentCell(), cellOf(*f.cal, f.cal->Day()));
    else
        QCOMPARE(f.cal->currentCell(), before);
}

void tst_Calendar::edgeStepping_data()
{
    QTest::addColumn<QPoint>("pointer"); // where the pointer is held, widget coordinates
    QTest::addColumn<QPoint>("stop"); // where stepping ends

    // Pressed on day 12 at (3, 3) of January 2000.
    QTest::newRow("left") << QPoint(-20, 50) << QPoint(0, 3);
    QTest::newRow("right") << QPoint(470, 50) << QPoint(6, 3);
    QTest::newRow("over the header") << QPoint(2 + 3 * 62 + 30, 8) << QPoint(3, 2); // (3, 1) is blank
    QTest::newRow("below") << QPoint(2 + 3 * 62 + 30, 160) << QPoint(3, 5); // (3, 6) is blank
    QTest::newRow("up and left") << QPoint(-20, -20) << QPoint(2, 2); // (1, 1) is blank
    QTest::newRow("down and right") << QPoint(470, 160) << QPoint(5, 5); // (6, 6) is blank
}

void tst_Calendar::edgeStepping()
{
    QFETCH(QPoint, pointer);
    QFETCH(QPoint, stop);

    Fixture f(QDate(2000, 1, 15));
    QVERIFY(f.show());
    QTest::mousePress(f.cal, Qt::LeftButton, {}, f.centre(3, 3));
    QCOMPARE(f.cal->currentCell(), QPoint(3, 3));
    QTest::mouseMove(f.cal, pointer);
    // The 60 ms timer moves one cell per tick until an edge or a blank cell stops it.
    QTRY_COMPARE(f.cal->currentCell(), stop);
    QTest::qWait(200);
    QCOMPARE(f.cal->currentCell(), stop);
    QVERIFY(f.log.isEmpty());
    QTest::mouseRelease(f.cal, Qt::LeftButton, {}, pointer);
    const int day = f.cal->CellLabel(stop.x(), stop.y()).toInt();
    QStringList log { QStringLiteral("click 15") };
    if (day != 15)
        log.append(QStringLiteral("change %1").arg(day));
    QCOMPARE(f.log, log);
    // Idle again: the timer no longer moves the cell.
    QTest::qWait(150);
    QCOMPARE(f.cal->currentCell(), stop);
}

void tst_Calendar::doubleClick()
{
    Fixture f(QDate(2000, 1, 15));
    QVERIFY(f.show());
    QSignalSpy doubleClicks(f.cal, &TCalendar::OnDblClick);
    // Through the window, so the platform's press, release, double click, release sequence arrives.
    QTest::mouseDClick(f.window.windowHandle(), Qt::LeftButton, {}, f.cal->mapTo(&f.window, f.centre(2, 4)));
    QCOMPARE(doubleClicks.count(), 1);
    // The first click selected day 18; the second press and its release add no click step.
    QCOMPARE(f.log, (QStringList { "click 15", "change 18" }));
}

void tst_Calendar::focusLossEndsSelection()
{
    Fixture f(QDate(2000, 1, 15));
    QVERIFY(f.show());
    QTest::mousePress(f.cal, Qt::LeftButton, {}, f.centre(3, 3));
    QTest::mouseMove(f.cal, QPoint(-20, 50));
    f.other->setFocus();
    const QPoint stopped = f.cal->currentCell();
    QTest::qWait(200);
    QCOMPARE(f.cal->currentCell(), stopped);
    QTest::mouseRelease(f.cal, Qt::LeftButton, {}, QPoint(-20, 50));
    QVERIFY(f.log.isEmpty());
    QCOMPARE(f.cal->Day(), 15);
}

void tst_Calendar::readOnly()
{
    Fixture f(QDate(2000, 1, 15));
    QVERIFY(f.show());
    f.cal->setReadOnly(true);
    const QPoint held = f.cal->currentCell();
    QTest::mouseClick(f.cal, Qt::LeftButton, {}, f.centre(2, 4));
    QTest::keyClick(f.cal, Qt::Key_Left);
    QCOMPARE(f.log, (QStringList { "click 15", "click 15" }));
    QCOMPARE(f.cal->currentCell(), held);

    f.cal->setDay(5);
    QCOMPARE(f.cal->currentCell(), cellOf(*f.cal, 5));
    QCOMPARE(f.log.last(), QStringLiteral("change 5"));
}

void tst_Calendar::geometry()
{
    Fixture f(QDate(2000, 1, 15));
    QCOMPARE(f.cal->CellRect(6, 6), QRect(2 + 6 * 62, 2 + 6 * 20, 61, 19)); // before the first show too
    QVERIFY(f.show());
    TCalendar &cal = *f.cal;
    // 441 x 143 inside a 2-pixel sunken edge: 437 x 139, cells (437 - 6) / 7 by (139 - 6) / 7.
    QCOMPARE(cal.clientRect(), QRect(2, 2, 437, 139));
    QCOMPARE(cal.CellRect(0, 0), QRect(2, 2, 61, 19));
    QCOMPARE(cal.CellRect(6, 6), QRect(2 + 6 * 62, 2 + 6 * 20, 61, 19));
    const QRect cell = cal.CellRect(3, 2);
    QCOMPARE(CountingCalendar::labelOrigin(cell, QSize(16, 16)) - cell.topLeft(), QPoint(22, 1));
    // Wider than the cell: starts left of it by half the excess.
    QCOMPARE(CountingCalendar::labelOrigin(cell, QSize(71, 29)) - cell.topLeft(), QPoint(-5, -5));

    cal.setGridLineWidth(3);
    QCOMPARE(cal.CellRect(1, 1), QRect(2 + 64, 2 + 22, 61, 19)); // sizes wait for the next resize
    cal.resize(442, 143);
    QCOMPARE(cal.CellRect(1, 1).size(), QSize((438 - 18) / 7, (139 - 18) / 7));
    cal.setGridLineWidth(-1);
    QCOMPARE(cal.GridLineWidth(), 3);
    cal.setGridLineWidth(1);
    cal.resize(441, 143);

    cal.setCtl3D(false); // one-pixel frame
    QCOMPARE(cal.CellRect(0, 0), QRect(1, 1, (439 - 6) / 7, (141 - 6) / 7));
    cal.setBorderStyle(TCellGrid::bsNone);
    QCOMPARE(cal.CellRect(0, 0), QRect(0, 0, (441 - 6) / 7, (143 - 6) / 7));
}

void tst_Calendar::repaintsOnlyOldAndNewCell()
{
    Fixture f(QDate(2000, 1, 15));
    QVERIFY(f.show());
    QTest::mousePress(f.cal, Qt::LeftButton, {}, f.centre(3, 3));
    QCoreApplication::processEvents();
    f.cal->painted.clear();
    QTest::mouseMove(f.cal, f.centre(4, 3));
    QCOMPARE(f.cal->currentCell(), QPoint(4, 3));
    QTRY_VERIFY(!f.cal->painted.isEmpty());
    QCoreApplication::processEvents();
    QList<QPoint> painted = f.cal->painted;
    std::sort(painted.begin(), painted.end(), [](QPoint a, QPoint b) { return a.x() < b.x(); });
    QCOMPARE(painted, (QList<QPoint> { QPoint(3, 3), QPoint(4, 3) }));
    QTest::mouseRelease(f.cal, Qt::LeftButton, {}, f.centre(4, 3));
    QCOMPARE(f.cal->Day(), 13);

    // A day picked with the keys changes the date, yet the month looks the same but for two cells.
    QCoreApplication::processEvents();
    f.cal->painted.clear();
    QTest::keyClick(f.cal, Qt::Key_Right);
    QCOMPARE(f.cal->Day(), 14);
    QTRY_VERIFY(!f.cal->painted.isEmpty());
    QCoreApplication::processEvents();
    painted = f.cal->painted;
    std::sort(painted.begin(), painted.end(), [](QPoint a, QPoint b) { return a.x() < b.x(); });
    QCOMPARE(painted, (QList<QPoint> { QPoint(4, 3), QPoint(5, 3) }));

    // A new month is laid out afresh.
    f.cal->painted.clear();
    f.cal->setMonth(2);
    QTRY_VERIFY(f.cal->painted.size() >= 42);
}

void tst_Calendar::rendering()
{
    Fixture f(QDate(2000, 1, 15));
    TCalendar &cal = *f.cal;
    cal.setColor(QColor(64, 0, 64));
    cal.setFontColor(QColor(0, 255, 0));
    // Unsmoothed glyphs are drawn in the pen colour alone, whatever face the machine resolves.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(16);
    font.setStyleStrategy(QFont::NoAntialias);
    cal.setFont(font);
    QVERIFY(f.show());
    cal.setFocus();
    QCoreApplication::processEvents();

    const QImage image = cal.grab().toImage();
    if (const QByteArray path = qgetenv("QC_GRID_PNG"); !path.isEmpty())
        image.save(QString::fromLocal8Bit(path));
    QCOMPARE(image.size(), QSize(441, 143));
    const QPalette &pal = cal.palette();
    auto pixel = [&](int x, int y) { return QColor(image.pixel(x, y)); };

    QCOMPARE(pixel(2 + 1 * 62 + 1, 2 + 3 * 20 + 1), QColor(64, 0, 64)); // a day cell's corner
    QCOMPARE(pixel(2 + 1 * 62 + 61, 2 + 3 * 20 + 5), QColor(192, 192, 192)); // day grid line
    QCOMPARE(pixel(2 + 1 * 62 + 61, 5), QColor(Qt::black)); // header grid line
    QCOMPARE(pixel(2 + 1 * 62 + 5, 2 + 19), QColor(Qt::black)); // line under the header
    QCOMPARE(pixel(2 + 1 * 62 + 5, 2 + 5), pal.color(QPalette::Button)); // header face
    QCOMPARE(pixel(2 + 1 * 62 + 1, 2), pal.color(QPalette::Light)); // raised bevel
    QCOMPARE(pixel(437, 60), QColor(64, 0, 64)); // strip right of the grid
    QCOMPARE(pixel(6 * 62 + 2 + 2, 3 * 20 + 2 + 3), pal.color(QPalette::Highlight)); // day 15
    // The dotted focus rectangle: every other pixel along the current cell's top edge.
    auto dots = [&](const QImage &shot) {
        int count = 0;
        for (int x = 6 * 62 + 2; x < 6 * 62 + 2 + 61; ++x)
            count += QColor(shot.pixel(x, 3 * 20 + 2)) == pal.color(QPalette::HighlightedText);
        return count;
    };
    QCOMPARE(dots(image), 30);

    // A day's digits are drawn in lime, and nothing in its cell in any other colour.
    int lime = 0;
    const QRect day18(2 + 2 * 62, 2 + 4 * 20, 61, 19);
    for (int y = day18.top(); y <= day18.bottom(); ++y) {
        for (int x = day18.left(); x <= day18.right(); ++x) {
            const QColor colour = pixel(x, y);
            lime += colour == QColor(0, 255, 0);
            if (colour != QColor(0, 255, 0) && colour != QColor(64, 0, 64))
                QFAIL(
                    qPrintable(QStringLiteral("stray colour %1 at %2, %3").arg(colour.name()).arg(x).arg(y)));
        }
    }
    QVERIFY2(lime >= 10, qPrintable(QString::number(lime)));

    // Without the focus the highlight stays but the dotted rectangle goes.
    f.other->setFocus();
    QCoreApplication::processEvents();
    QCOMPARE(dots(cal.grab().toImage()), 0);
    QCOMPARE(QColor(cal.grab().toImage().pixel(6 * 62 + 2, 3 * 20 + 2)), pal.color(QPalette::Highlight));

    // Silver cells get gray lines so the grid stays visible.
    cal.setColor(QColor(192, 192, 192));
    QCOMPARE(QColor(cal.grab().toImage().pixel(2 + 1 * 62 + 61, 2 + 3 * 20 + 5)), QColor(128, 128, 128));
}

// What a screen reader walks: six weeks of seven days under the weekday headers, the held day the
// one selected cell. 14 February 2015 is the Saturday of the second week.
void tst_Calendar::walkedAsTable()
{
    qctest::fixToday(QDate(2015, 2, 14));
    TCalendar cal;
    QAccessibleInterface *grid = QAccessible::queryAccessibleInterface(&cal);
    QAccessibleTableInterface *table = grid ? grid->tableInterface() : nullptr;
    QVERIFY(table);
    QCOMPARE(table->rowCount(), 6);
    QCOMPARE(table->columnCount(), 7);
    QVERIFY(!table->cellAt(6, 0) && !table->cellAt(0, 7) && !table->cellAt(-1, 0));
    QAccessibleInterface *held = table->cellAt(1, 6);
    QCOMPARE(held->text(QAccessible::Name), QStringLiteral("14"));
    QCOMPARE(table->selectedCells(), QList<QAccessibleInterface *> { held });
    QAccessibleTableCellInterface *cell = held->tableCellInterface();
    QVERIFY(cell && cell->isSelected() && cell->table() == grid);
    QCOMPARE(QPoint(cell->columnIndex(), cell->rowIndex()), QPoint(6, 1));
    QCOMPARE(cell->columnHeaderCells(), QList<QAccessibleInterface *> { grid->child(6) });
    QCOMPARE(table->columnDescription(6), grid->child(6)->text(QAccessible::Name));
    QVERIFY(!grid->child(6)->tableCellInterface()); // a header is no cell of a week

    cal.setDay(28); // the last cell of the fourth week, and the only one selected
    QCOMPARE(table->selectedCells(), QList<QAccessibleInterface *> { table->cellAt(3, 6) });
    QVERIFY(!held->tableCellInterface()->isSelected());
    QCOMPARE(table->cellAt(4, 0)->text(QAccessible::Name), QString()); // no 29th in February 2015
    QVERIFY(!table->cellAt(4, 0)->tableCellInterface()->isSelected());
}

QTEST_MAIN(tst_Calendar)
#include "tst_calendar.moc"
