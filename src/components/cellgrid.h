// TCellGrid: the fixed 7 x 7 cell grid that the month grid is built on. It owns the geometry
// (one cell width and one row height, recomputed on every resize), the painting order (grid
// lines, the cells that meet the dirty region, header bevels, the focus rectangle, the strips
// beyond the last line), the current cell and the mouse and keyboard navigation. What a cell
// shows and which cells may become current is left to the derived control.
#pragma once

#include "core/monthlayout.h"

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

    explicit TCellGrid(QWidget *parent = nullptr);

    static constexpr int ColCount = qc::layout::Columns;
    static constexpr int RowCount = qc::layout::Rows;
    static constexpr int FixedRows = 1;

    int GridLineWidth() const { return m_gridLineWidth; }
    // Takes effect at once on the lines; the cell sizes follow at the next resize.
    void setGridLineWidth(int width);
    bool Ctl3D() const { return m_ctl3D; }
    void setCtl3D(bool value);
    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void setBorderStyle(TBorderStyle style);

    // Background of the day cells and of the strips beyond the last grid line; the palette's
    // Base colour until set.
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
    // Moves the current cell when CanSelectCell allows; repaints only the old and the new cell.
    void SetCurrentCell(int column, int row);

    // The area inside the border, in widget coordinates.
    QRect clientRect() const;
    // A cell's rectangle in widget coordinates.
    QRect CellRect(int column, int row) const;
    const qc::layout::CellMetrics &metrics() const { return m_metrics; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // Every key goes here first; clearing key cancels it.
    void OnKeyDown(QObject *sender, int &key, Qt::KeyboardModifiers shift);

protected:
    // Paints the text of one cell; the rectangle is already filled with the cell's background,
    // the painter is clipped to it and carries the font and the text colour.
    virtual void PaintCell(int column, int row, const QRect &rect, QPainter &painter) = 0;
    virtual bool CanSelectCell(int column, int row) const;
    // The click step, after a mouse selection ends or a navigation key was handled.
    virtual void CellClicked();
    virtual void DoubleClicked();
    // Emits OnKeyDown; an override may also cancel by setting key to 0.
    virtual void KeyDown(int &key, Qt::KeyboardModifiers modifiers);

    bool isSelecting() const { return m_selecting; }
    // The keyboard focus is ours within our window, whether or not the window is active.
    bool isActiveControl() const;

    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
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
    void updateMetrics();
    QPoint toClient(QPointF widgetPos) const;
    bool takeFocus();
    void moveToPoint(QPoint clientPos);
    void stepTowardsPointer();
    void stopSelecting();
    void GoToCell(QPoint target);
    void paintGridLines(QPainter &painter) const;
    void paintHeaderBevel(QPainter &painter, const QRect &rect) const;
    void paintFocusRect(QPainter &painter, const QRect &rect) const;

    qc::layout::CellMetrics m_metrics;
    int m_gridLineWidth = 1;
    bool m_ctl3D = true;
    TBorderStyle m_borderStyle = bsSingle;
    QColor m_color; // invalid: follow the palette
    QPoint m_current { 0, FixedRows };
    bool m_selecting = false;
    QPoint m_lastPointer; // client coordinates, while selecting
    QBasicTimer m_selectTimer;
};
