// Repaints of the month grid at the size it has in the main window: a full repaint, and the
// one-cell move the arrow keys and clicks make (which must repaint the two cells alone). Prints
// the cells painted and the median time of each.
#include "components/calendar.h"
#include "core/clock.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Runs = 301;

class CountingCalendar : public TCalendar
{
public:
    using TCalendar::TCalendar;
    int cells = 0;

protected:
    void PaintCell(int column, int row, const QRect &rect, QPainter &painter) override
    {
        ++cells;
        TCalendar::PaintCell(column, row, rect, painter);
    }
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qc::setClockSourceForTesting([] { return QDateTime(QDate(2023, 6, 15), QTime(12, 0)); });

    CountingCalendar grid;
    QFont font = grid.font();
    font.setPixelSize(16);
    grid.setFont(font);
    grid.resize(351, 211);
    grid.show();
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents(); // first frame, fonts loaded

    std::vector<double> full;
    int fullCells = 0;
    for (int run = 0; run < Runs; ++run) {
        grid.cells = 0;
        QElapsedTimer timer;
        timer.start();
        grid.repaint();
        full.push_back(double(timer.nsecsElapsed()) / 1e3);
        fullCells = grid.cells;
    }

    // Across the middle of the month and back, so every move stays inside one month.
    std::vector<double> move;
    int minCells = 1000;
    int maxCells = 0;
    for (int run = 0; run < Runs; ++run) {
        const int day = 10 + run % 2;
        QApplication::processEvents();
        grid.cells = 0;
        QElapsedTimer timer;
        timer.start();
        grid.setDay(day == 10 ? 11 : 10);
        // Only what the move marked dirty is painted, when the window's update request arrives.
        for (int spin = 0; spin < 1000 && grid.cells == 0; ++spin)
            QApplication::processEvents();
        move.push_back(double(timer.nsecsElapsed()) / 1e3);
        minCells = std::min(minCells, grid.cells);
        maxCells = std::max(maxCells, grid.cells);
    }
    // The same move made by the user: an arrow key, right then left.
    std::vector<double> key;
    int keyMin = 1000;
    int keyMax = 0;
    grid.setFocus();
    for (int run = 0; run < Runs; ++run) {
        QApplication::processEvents();
        grid.cells = 0;
        QKeyEvent press(QEvent::KeyPress, run % 2 ? Qt::Key_Left : Qt::Key_Right, Qt::NoModifier);
        QElapsedTimer timer;
        timer.start();
        QApplication::sendEvent(&grid, &press);
        for (int spin = 0; spin < 1000 && grid.cells == 0; ++spin)
            QApplication::processEvents();
        key.push_back(double(timer.nsecsElapsed()) / 1e3);
        keyMin = std::min(keyMin, grid.cells);
        keyMax = std::max(keyMax, grid.cells);
    }

    std::printf("month grid %dx%d, platform %s, median of %d runs\n", grid.width(), grid.height(),
        qPrintable(QGuiApplication::platformName()), Runs);
    std::printf("  full repaint:  %6.1f us, %d cells painted\n", median(full), fullCells);
    std::printf(
        "  setDay move:   %6.1f us, %d..%d cells painted (target 2)\n", median(move), minCells, maxCells);
    std::printf("  arrow key:     %6.1f us, %d..%d cells painted (target 2)\n", median(key), keyMin, keyMax);
    return 0;
}
