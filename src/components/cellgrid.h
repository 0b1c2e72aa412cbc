// TCellGrid: a grid of equal cells with fixed header rows on top, the base of the month grid. Its
// column, row and fixed-row counts are set at creation. It owns the geometry (one cell width and
// one row height, following the client size), the painting order (grid lines, the cells that meet
// the dirty region, header bevels, the focus rectangle, the strips beyond the last line), the
// current cell and the mouse and keyboard navigation. What a cell shows and which cells may become
// current is left to the derived control.
#pragma once

#include "core/gridlayout.h"

#include <QBasicTimer>
#include <QColor>
#include <QPoint>
#include <QWidget>

class QPainter;

class TCellGrid : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int GridLineWidth READ GridLineWidth WRITE setGridLineWidth)
    Q_PROPERTY(bool Ctl3D READ Ctl3D WRITE setCtl3D)
    Q_PROPERTY(TBorderStyle BorderStyle READ BorderStyle WRITE setBorderStyle)
    Q_PROPERTY(QColor Color READ Color WRITE setColor RESET resetColor)
    Q_PROPERTY(QColor FontColor READ FontColor WRITE setFontColor)

public:
    enum TBorderStyle { bsNone, bsSingle };
    Q_ENUM(TBorderStyle)

    explicit TCellGrid(qc::grid::Shape shape, QWidget *parent = nullptr);

    const qc::grid::Shape &shape() const { return m_shape; }

    int GridLineWidth() const { return m_gridLineWidth; }
    // Takes effect at once on the lines; the cell sizes follow at the next change of size.
    void setGridLineWidth(int width);
    bool Ctl3D() const { return m_ctl3D; }
    void setCtl3D(bool value);
    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void setBorderStyle(TBorderStyle style);

    // Background of the day cells and of the strips beyond the last grid line; the palette's
    // Base colour until set. Like every palette colour the grid paints in, it comes from the
    // active group: a theme's inactive or disabled colours do not change the grid.
    QColor Color() const;
    void setColor(const QColor &color);
    void resetColor();
    // The colour every cell text is drawn in (except the highlighted cell's): the palette's
    // WindowText, so a form can also set it through the palette.
    QColor FontColor() const;
    void setFontColor(const QColor &color);

    int Col() const { return m_current.x(); }
    int Row() const { return m_current.y(); }
    QPoint currentCell() const { return m_current; }

    // The area inside the border, in widget coordinates.
    QRect clientRect() const;
    // A cell's rectangle in widget coordinates.
    QRect CellRect(int column, int row) const;
    // Cell sizes for the client size the widget has now, shown or not; a new GridLineWidth
    // changes only the lines until the client size changes.
    const qc::grid::CellMetrics &metrics() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // Every key goes here first; clearing key cancels it.
    void OnKeyDown(QObject *sender, int &key, Qt::KeyboardModifiers shift);

protected:
    // Moves the current cell when CanSelectCell allows; repaints only the old and the new cell.
    // Not open to owners: the derived control keeps the current cell in step with what it holds.
    void SetCurrentCell(int column, int row);

    // Paints the text of one cell; the rectangle is already filled with the cell's background,
    // the painter is clipped to it and carries the font and the text colour.
    virtual void PaintCell(int column, int row, const QRect &rect, QPainter &painter) = 0;
    virtual bool CanSelectCell(int column, int row) const;
    // The click step, after a mouse selection ends or a navigation key was handled.
    virtual void CellClicked();
    virtual void DoubleClicked();
    // Emits OnKeyDown; an override may also cancel by setting key to 0.
    virtual void KeyDown(int &key, Qt::KeyboardModifiers modifiers);

    // The keyboard focus is ours within our window, whether or not the window is active.
    bool isActiveControl() const;

    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    int borderWidth() const;
    QPalette activePalette() const;
    QPoint toClient(QPointF widgetPos) const;
    bool takeFocus();
    void moveToPoint(QPoint clientPos);
    void stepTowardsPointer();
    void stopSelecting();
    void GoToCell(QPoint target);
    void paintGridLines(QPainter &painter) const;
    static void paintHeaderBevel(QPainter &painter, const QRect &rect, const QPalette &pal);
    static void paintFocusRect(QPainter &painter, const QRect &rect, const QPalette &pal);

    const qc::grid::Shape m_shape;
    mutable qc::grid::CellMetrics m_metrics;
    mutable QSize m_metricsClientSize { -1, -1 }; // what m_metrics were computed for
    int m_gridLineWidth = 1;
    bool m_ctl3D = true;
    TBorderStyle m_borderStyle = bsSingle;
    QColor m_color; // invalid: follow the palette
    QPoint m_current;
    bool m_selecting = false;
    QPoint m_lastPointer; // client coordinates, while selecting
    QBasicTimer m_selectTimer;
};
