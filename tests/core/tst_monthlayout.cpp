// Month grid arithmetic: where the days stand, header labels, and the grid's cell geometry, hit
// testing, keys and edge stepping in the month grid's shape.
#include "core/dates.h"
#include "core/gridlayout.h"
#include "core/monthlayout.h"

#include <QTest>

#include <algorithm>

using namespace qc::grid;
using namespace qc::layout;

Q_DECLARE_METATYPE(std::optional<QPoint>)

namespace {

int offsetOf(int year, int month, int startOfWeek)
{
    return monthOffset(qc::dayOfWeek(qc::encodeDate(year, month, 1)), startOfWeek);
}

} // namespace

class TestMonthLayout : public QObject
{
    Q_OBJECT

private slots:
    void monthPlacement_data();
    void monthPlacement();
    void everyOffsetKeepsTheMonthInSixRows();
    void headerLabels();
    void metrics_data();
    void metrics();
    void cellAt_data();
    void cellAt();
    void keyTarget_data();
    void keyTarget();
    void edgeStep_data();
    void edgeStep();
    void centred();
};

void TestMonthLayout::monthPlacement_data()
{
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("startOfWeek");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QPoint>("firstCell");
    QTest::addColumn<QPoint>("lastCell");

    // January 2000 begins on a Saturday.
    QTest::newRow("2000-1 sunday first") << 2000 << 1 << 0 << -5 << QPoint(6, 1) << QPoint(1, 6);
    QTest::newRow("2000-1 monday first") << 2000 << 1 << 1 << -4 << QPoint(5, 1) << QPoint(0, 6);
    QTest::newRow("2000-1 saturday first") << 2000 << 1 << 6 << 1 << QPoint(0, 1) << QPoint(2, 5);
    // February 2015 begins on a Sunday and fills rows 1 to 4 exactly.
    QTest::newRow("2015-2 sunday first") << 2015 << 2 << 0 << 1 << QPoint(0, 1) << QPoint(6, 4);
    QTest::newRow("2015-2 monday first") << 2015 << 2 << 1 << -5 << QPoint(6, 1) << QPoint(5, 5);
    QTest::newRow("2015-2 tuesday first") << 2015 << 2 << 2 << -4 << QPoint(5, 1) << QPoint(4, 5);
    QTest::newRow("2000-2 leap") << 2000 << 2 << 0 << -1 << QPoint(2, 1) << QPoint(2, 5);
    QTest::newRow("2100-2 common") << 2100 << 2 << 0 << 0 << QPoint(1, 1) << QPoint(0, 5);
}

void TestMonthLayout::monthPlacement()
{
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, startOfWeek);
    QFETCH(int, offset);
    QFETCH(QPoint, firstCell);
    QFETCH(QPoint, lastCell);

    QCOMPARE(offsetOf(year, month, startOfWeek), offset);
    const int last = qc::daysInMonth(year, month);
    QCOMPARE(cellOfDay(offset, 1), firstCell);
    QCOMPARE(cellOfDay(offset, last), lastCell);
    QCOMPARE(dayNumber(offset, firstCell.x(), firstCell.y()), 1);
    QCOMPARE(dayNumber(offset, lastCell.x(), lastCell.y()), last);
}

void TestMonthLayout::everyOffsetKeepsTheMonthInSixRows()
{
    for (int weekday = 1; weekday <= 7; ++weekday) {
        for (int start = 0; start <= 6; ++start) {
            const int offset = monthOffset(weekday, start);
            QVERIFY(offset >= -5 && offset <= 1);
            const QPoint first = cellOfDay(offset, 1);
            QCOMPARE(first.y(), 1);
            QCOMPARE((start + first.x()) % 7 + 1, weekday);
            QVERIFY(cellOfDay(offset, 31).y() <= 6);
            for (int day = 1; day <= 31; ++day) {
                const QPoint cell = cellOfDay(offset, day);
                QCOMPARE(dayNumber(offset, cell.x(), cell.y()), day);
            }
        }
    }
}

void TestMonthLayout::headerLabels()
{
    const QStringList chinese = { QStringLiteral("日"), QStringLiteral("一"), QStringLiteral("二"),
        QStringLiteral("三"), QStringLiteral("四"), QStringLiteral("五"), QStringLiteral("六") };
    QCOMPARE(headerLabel(chinese, 0, 0), QStringLiteral("日"));
    QCOMPARE(headerLabel(chinese, 0, 6), QStringLiteral("六"));
    QCOMPARE(headerLabel(chinese, 1, 0), QStringLiteral("一"));
    QCOMPARE(headerLabel(chinese, 1, 6), QStringLiteral("日"));
    QCOMPARE(headerLabel(chinese, 6, 1), QStringLiteral("日"));

    QStringList gaps = chinese;
    gaps[3].clear();
    QCOMPARE(headerLabel(gaps, 2, 1), QStringLiteral("Wed"));
    QCOMPARE(headerLabel(gaps, 2, 0), QStringLiteral("二"));
    QCOMPARE(headerLabel({}, 1, 6), QStringLiteral("Sun"));
    QCOMPARE(fallbackDayNames().size(), 7);
    QCOMPARE(fallbackDayNames().last(), QStringLiteral("Sat"));
}

void TestMonthLayout::metrics_data()
{
    QTest::addColumn<QSize>("client");
    QTest::addColumn<int>("line");
    QTest::addColumn<QSize>("cell");

    QTest::newRow("main window") << QSize(437, 139) << 1 << QSize(61, 19);
    QTest::newRow("exact fit") << QSize(76, 76) << 1 << QSize(10, 10);
    QTest::newRow("thick lines") << QSize(437, 139) << 3 << QSize(59, 17);
    QTest::newRow("no lines") << QSize(70, 7) << 0 << QSize(10, 1);
    QTest::newRow("tiny") << QSize(3, 3) << 1 << QSize(0, 0);
    QTest::newRow("empty") << QSize(0, 0) << 1 << QSize(0, 0);
    // Drawn like the widest line any window can hold, with no int overflow on the way.
    QTest::newRow("huge lines") << QSize(437, 139) << 400000000 << QSize(0, 0);
}

void TestMonthLayout::metrics()
{
    QFETCH(QSize, client);
    QFETCH(int, line);
    QFETCH(QSize, cell);

    const CellMetrics m = cellMetrics(client, line, MonthGrid);
    QCOMPARE(QSize(m.width, m.height), cell);
    QCOMPARE(m.lineWidth, std::min(line, MaxExtent));
    const QRect last = cellRect(m, 6, 6);
    QCOMPARE(last.size(), cell);
    QCOMPARE(last.topLeft(), QPoint(6 * (cell.width() + m.lineWidth), 6 * (cell.height() + m.lineWidth)));
    if (cell.width() > 0) // the last cell always lies inside the client area
        QVERIFY(last.right() < client.width());
}

void TestMonthLayout::cellAt_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<std::optional<QPoint>>("cell");

    // Cells 61 x 19 with 1-pixel lines: column c spans x 62c..62c+60, line at 62c+61.
    QTest::newRow("origin") << QPoint(0, 0) << std::optional(QPoint(0, 0));
    QTest::newRow("inside") << QPoint(100, 30) << std::optional(QPoint(1, 1));
    QTest::newRow("last pixel of cell") << QPoint(60, 18) << std::optional(QPoint(0, 0));
    QTest::newRow("vertical grid line") << QPoint(61, 25) << std::optional(QPoint(0, 1));
    QTest::newRow("horizontal grid line") << QPoint(70, 19) << std::optional(QPoint(1, 0));
    QTest::newRow("line crossing") << QPoint(61, 19) << std::optional(QPoint(0, 0));
    QTest::newRow("next cell") << QPoint(62, 20) << std::optional(QPoint(1, 1));
    QTest::newRow("last cell") << QPoint(433, 138) << std::optional(QPoint(6, 6));
    QTest::newRow("last grid line") << QPoint(433, 139) << std::optional(QPoint(6, 6));
    QTest::newRow("right of last line") << QPoint(434, 10) << std::optional<QPoint>();
    QTest::newRow("below last line") << QPoint(10, 140) << std::optional<QPoint>();
    QTest::newRow("left") << QPoint(-1, 10) << std::optional<QPoint>();
    QTest::newRow("above") << QPoint(10, -1) << std::optional<QPoint>();
}

void TestMonthLayout::cellAt()
{
    QFETCH(QPoint, point);
    QFETCH(std::optional<QPoint>, cell);

    const CellMetrics m = cellMetrics(QSize(437, 139), 1, MonthGrid);
    QCOMPARE(qc::grid::cellAt(m, MonthGrid, point), cell);
    if (cell)
        QVERIFY(cellRect(m, cell->x(), cell->y()).adjusted(0, 0, 1, 1).contains(point));
}

void TestMonthLayout::keyTarget_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<std::optional<QPoint>>("target");

    const Qt::KeyboardModifiers none;
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const QPoint mid(3, 3);
    auto at = [](int c, int r) { return std::optional(QPoint(c, r)); };

    QTest::newRow("left") << int(Qt::Key_Left) << none << mid << at(2, 3);
    QTest::newRow("shift left") << int(Qt::Key_Left) << shift << mid << at(2, 3);
    QTest::newRow("ctrl left clamps") << int(Qt::Key_Left) << ctrl << mid << at(0, 3);
    QTest::newRow("left in column 0") << int(Qt::Key_Left) << none << QPoint(0, 2) << at(0, 2);
    QTest::newRow("right") << int(Qt::Key_Right) << none << mid << at(4, 3);
    QTest::newRow("ctrl right") << int(Qt::Key_Right) << ctrl << QPoint(0, 3) << at(6, 3);
    QTest::newRow("right in column 6") << int(Qt::Key_Right) << none << QPoint(6, 3) << at(6, 3);
    QTest::newRow("up") << int(Qt::Key_Up) << none << mid << at(3, 2);
    QTest::newRow("up in row 1 stays off header") << int(Qt::Key_Up) << none << QPoint(3, 1) << at(3, 1);
    QTest::newRow("ctrl up") << int(Qt::Key_Up) << ctrl << mid << std::optional<QPoint>();
    QTest::newRow("down") << int(Qt::Key_Down) << shift << mid << at(3, 4);
    QTest::newRow("down in row 6") << int(Qt::Key_Down) << none << QPoint(3, 6) << at(3, 6);
    QTest::newRow("ctrl down") << int(Qt::Key_Down) << ctrl << mid << std::optional<QPoint>();
    QTest::newRow("home") << int(Qt::Key_Home) << none << mid << at(0, 3);
    QTest::newRow("ctrl home") << int(Qt::Key_Home) << ctrl << mid << at(0, 1);
    QTest::newRow("end") << int(Qt::Key_End) << none << mid << at(6, 3);
    QTest::newRow("ctrl end") << int(Qt::Key_End) << ctrl << mid << at(6, 6);
    QTest::newRow("page up clamps") << int(Qt::Key_PageUp) << none << mid << at(3, 1);
    QTest::newRow("page up from 6") << int(Qt::Key_PageUp) << none << QPoint(2, 6) << at(2, 1);
    QTest::newRow("ctrl page up") << int(Qt::Key_PageUp) << ctrl << QPoint(2, 5) << at(2, 1);
    QTest::newRow("page down clamps") << int(Qt::Key_PageDown) << none << mid << at(3, 6);
    QTest::newRow("ctrl page down") << int(Qt::Key_PageDown) << ctrl << QPoint(4, 2) << at(4, 6);
    QTest::newRow("ctrl shift home") << int(Qt::Key_Home) << (ctrl | shift) << mid << at(0, 1);
    QTest::newRow("enter") << int(Qt::Key_Return) << none << mid << std::optional<QPoint>();
    QTest::newRow("tab") << int(Qt::Key_Tab) << none << mid << std::optional<QPoint>();
    QTest::newRow("letter") << int(Qt::Key_A) << none << mid << std::optional<QPoint>();
}

void TestMonthLayout::keyTarget()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QPoint, from);
    QFETCH(std::optional<QPoint>, target);
    QCOMPARE(qc::grid::keyTarget(key, modifiers, from, MonthGrid), target);
}

void TestMonthLayout::edgeStep_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("pointer"); // client coordinates
    QTest::addColumn<QPoint>("to");

    // Cells 61 x 19 with 1-pixel lines: points from x 434 lie right of the last column's line,
    // from y 140 below the last row's; the first day row starts at y 20.
    const QPoint mid(3, 3);
    QTest::newRow("over a cell") << mid << QPoint(100, 70) << mid;
    QTest::newRow("left") << mid << QPoint(-1, 70) << QPoint(2, 3);
    QTest::newRow("left from column 0") << QPoint(0, 3) << QPoint(-1, 70) << QPoint(0, 3);
    QTest::newRow("on the last line") << mid << QPoint(433, 139) << mid;
    QTest::newRow("right") << mid << QPoint(434, 70) << QPoint(4, 3);
    QTest::newRow("right from column 6") << QPoint(6, 3) << QPoint(500, 70) << QPoint(6, 3);
    QTest::newRow("first day row") << mid << QPoint(100, 20) << mid;
    QTest::newRow("over the header's line") << mid << QPoint(100, 19) << QPoint(3, 2);
    QTest::newRow("above the grid") << mid << QPoint(100, -30) << QPoint(3, 2);
    QTest::newRow("up from row 1") << QPoint(3, 1) << QPoint(100, 5) << QPoint(3, 1);
    QTest::newRow("below") << mid << QPoint(100, 140) << QPoint(3, 4);
    QTest::newRow("down from row 6") << QPoint(3, 6) << QPoint(100, 200) << QPoint(3, 6);
    QTest::newRow("up and left") << mid << QPoint(-1, -1) << QPoint(2, 2);
    QTest::newRow("down and right") << mid << QPoint(434, 140) << QPoint(4, 4);
    QTest::newRow("down and left from column 0") << QPoint(0, 3) << QPoint(-5, 300) << QPoint(0, 4);
    QTest::newRow("corner cell, pointer beyond it") << QPoint(6, 6) << QPoint(900, 900) << QPoint(6, 6);
}

void TestMonthLayout::edgeStep()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, pointer);
    QFETCH(QPoint, to);
    QCOMPARE(qc::grid::edgeStep(cellMetrics(QSize(437, 139), 1, MonthGrid), MonthGrid, from, pointer), to);
}

void TestMonthLayout::centred()
{
    QCOMPARE(centredOffset(61, 16), 22);
    QCOMPARE(centredOffset(19, 16), 1);
    QCOMPARE(centredOffset(10, 10), 0);
    QCOMPARE(centredOffset(10, 15), -2); // wider text starts left of the cell, truncated toward zero
}

QTEST_GUILESS_MAIN(TestMonthLayout)
#include "tst_monthlayout.moc"
