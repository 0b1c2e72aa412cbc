// The cell-grid base: geometry, painting order, current cell, mouse selection and key navigation.
#include "cellgrid.h"

#include "guard.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimerEvent>
#include <qdrawutil.h>

namespace {

constexpr int SelectInterval = 60; // ms between edge steps while the left button is held

} // namespace

TCellGrid::TCellGrid(qc::grid::Shape shape, QWidget *parent)
    : QWidget(parent)
    , m_shape(shape)
    , m_current(0, shape.fixedRows)
{
    setFocusPolicy(Qt::StrongFocus);
    // Lines, cells and strips cover the whole client area; the border covers the rest.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TCellGrid::setGridLineWidth(int width)
{
    if (width < 0 || width == m_gridLineWidth)
        return;
    metrics(); // the cell sizes stay those of the current client size
    m_gridLineWidth = width;
    m_metrics.lineWidth = qc::grid::clampedLineWidth(width);
    update();
}

void TCellGrid::setCtl3D(bool value)
{
    if (value == m_ctl3D)
        return;
    m_ctl3D = value;
    update();
}

void TCellGrid::setBorderStyle(TBorderStyle style)
{
    if (style == m_borderStyle)
        return;
    m_borderStyle = style;
    update();
}

QColor TCellGrid::Color() const
{
    return m_color.isValid() ? m_color : palette().color(QPalette::Active, QPalette::Base);
}

void TCellGrid::setColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void TCellGrid::resetColor()
{
    setColor(QColor());
}

QColor TCellGrid::FontColor() const
{
    return palette().color(QPalette::Active, QPalette::WindowText);
}

void TCellGrid::setFontColor(const QColor &color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, color);
    setPalette(pal);
}

void TCellGrid::SetCurrentCell(int column, int row)
{
    if (!CanSelectCell(column, row))
        return;
    const QPoint old = m_current;
    m_current = QPoint(column, row);
    update(CellRect(old.x(), old.y()));
    update(CellRect(column, row));
}

QRect TCellGrid::clientRect() const
{
    const int b = borderWidth();
    return rect().adjusted(b, b, -b, -b);
}

QRect TCellGrid::CellRect(int column, int row) const
{
    return qc::grid::cellRect(metrics(), column, row).translated(clientRect().topLeft());
}

const qc::grid::CellMetrics &TCellGrid::metrics() const
{
    // A hidden widget gets its resize event only when first shown; the size itself is set at once.
    const QSize client = clientRect().size();
    if (client != m_metricsClientSize) {
        m_metrics = qc::grid::cellMetrics(client, m_gridLineWidth, m_shape);
        m_metricsClientSize = client;
    }
    return m_metrics;
}

QSize TCellGrid::sizeHint() const
{
    return { 441, 143 };
}

QSize TCellGrid::minimumSizeHint() const
{
    // Eight pixels a cell.
    const int line = qc::grid::clampedLineWidth(m_gridLineWidth);
    const int b = 2 * borderWidth();
    return { b + (m_shape.columns - 1) * line + m_shape.columns * 8,
        b + (m_shape.rows - 1) * line + m_shape.rows * 8 };
}

bool TCellGrid::CanSelectCell(int column, int row) const
{
    Q_UNUSED(column)
    return row >= m_shape.fixedRows;
}

void TCellGrid::CellClicked() { }

void TCellGrid::DoubleClicked() { }

void TCellGrid::KeyDown(int &key, Qt::KeyboardModifiers modifiers)
{
    Q_EMIT OnKeyDown(this, key, modifiers);
}

bool TCellGrid::isActiveControl() const
{
    // QWidget::hasFocus() turns false while the window is inactive; the window's own focus
    // widget does not, and the focus rectangle should stay like the highlight does.
    return window()->focusWidget() == this;
}

int TCellGrid::borderWidth() const
{
    if (m_borderStyle == bsNone)
        return 0;
    return m_ctl3D ? 2 : 1;
}

QPalette TCellGrid::activePalette() const
{
    QPalette pal = palette();
    pal.setCurrentColorGroup(QPalette::Active);
    return pal;
}

QPoint TCellGrid::toClient(QPointF widgetPos) const
{
    return widgetPos.toPoint() - clientRect().topLeft();
}

void TCellGrid::paintEvent(QPaintEvent *event)
{
    // No window may open while the painter is active.
    qc::guardedDeferred([&] {
        const QPalette pal = activePalette();
        QPainter painter(this);
        if (m_borderStyle == bsSingle) {
            if (m_ctl3D) {
                qDrawWinPanel(&painter, rect(), pal, true);
            } else {
                painter.setPen(Qt::black);
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(rect().adjusted(0, 0, -1, -1));
            }
        }

        const QRect client = clientRect();
        painter.setClipRect(client, Qt::IntersectClip);
        painter.translate(client.topLeft());
        const QRegion dirty = event->region().translated(-client.topLeft());
        const qc::grid::CellMetrics &m = metrics();

        paintGridLines(painter);

        const QColor dayColor = Color();
        for (int row = 0; row < m_shape.rows; ++row) {
            for (int column = 0; column < m_shape.columns; ++column) {
                const QRect cell = qc::grid::cellRect(m, column, row);
                if (cell.isEmpty() || !dirty.intersects(cell))
                    continue;
                const bool header = row < m_shape.fixedRows;
                const bool current = !header && QPoint(column, row) == m_current;
                painter.fillRect(cell,
                    header        ? pal.color(QPalette::Button)
                        : current ? pal.color(QPalette::Highlight)
                                  : dayColor);
                painter.save();
                painter.setClipRect(cell, Qt::IntersectClip);
                painter.setFont(font());
                painter.setPen(current ? pal.color(QPalette::HighlightedText) : FontColor());
                PaintCell(column, row, cell, painter);
                painter.restore();
            }
        }

        if (m_ctl3D) {
            for (int row = 0; row < m_shape.fixedRows; ++row) {
                for (int column = 0; column < m_shape.columns; ++column) {
                    const QRect cell = qc::grid::cellRect(m, column, row);
                    if (!cell.isEmpty() && dirty.intersects(cell))
                        paintHeaderBevel(painter, cell, pal);
                }
            }
        }

        const QRect currentRect = qc::grid::cellRect(m, m_current.x(), m_current.y());
        if (isActiveControl() && !currentRect.isEmpty() && dirty.intersects(currentRect))
            paintFocusRect(painter, currentRect, pal);

        const QSize extent = qc::grid::gridExtent(m, m_shape);
        if (extent.width() < client.width())
            painter.fillRect(
                QRect(extent.width(), 0, client.width() - extent.width(), client.height()), dayColor);
        if (extent.height() < client.height())
            painter.fillRect(
                QRect(0, extent.height(), client.width(), client.height() - extent.height()), dayColor);
    });
}

void TCellGrid::paintGridLines(QPainter &painter) const
{
    const qc::grid::GridLines lines = qc::grid::gridLines(metrics(), m_shape);
    const QColor headerLine = Qt::black;
    // Silver lines would vanish on silver cells.
    const QColor dayLine
        = Color().rgb() == qRgb(192, 192, 192) ? QColor(128, 128, 128) : QColor(192, 192, 192);
    for (const QRect &line : lines.fixed)
        painter.fillRect(line, headerLine);
    for (const QRect &line : lines.body)
        painter.fillRect(line, dayLine);
}

void TCellGrid::paintHeaderBevel(QPainter &painter, const QRect &rect, const QPalette &pal)
{
    painter.setPen(pal.color(QPalette::Light));
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(pal.color(QPalette::Dark));
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
}

void TCellGrid::paintFocusRect(QPainter &painter, const QRect &rect, const QPalette &pal)
{
    QPen pen(pal.color(QPalette::HighlightedText), 1);
    pen.setCosmetic(true);
    pen.setDashPattern({ 1.0, 1.0 });
    painter.save();
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.restore();
}

bool TCellGrid::takeFocus()
{
    const bool wasActive = isActiveControl();
    setFocus(Qt::MouseFocusReason);
    const bool active = isActiveControl();
    if (active && !wasActive)
        update(CellRect(m_current.x(), m_current.y()));
    return active;
}

void TCellGrid::mousePressEvent(QMouseEvent *event)
{
    qc::guarded([&] {
        if (!takeFocus()) {
            stopSelecting();
            return;
        }
        if (event->button() != Qt::LeftButton)
            return;
        const QPoint pos = toClient(event->position());
        const auto cell = qc::grid::cellAt(metrics(), m_shape, pos);
        if (!cell || cell->y() < m_shape.fixedRows)
            return;
        // Qt keeps delivering the mouse to us while the button is held (the implicit grab), even
        // outside the window, which is all the edge stepping needs.
        m_selecting = true;
        m_lastPointer = pos;
        m_selectTimer.start(SelectInterval, this);
        if (*cell != m_current)
            SetCurrentCell(cell->x(), cell->y());
    });
}

void TCellGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        mousePressEvent(event);
        return;
    }
    qc::guarded([&] {
        if (takeFocus())
            DoubleClicked();
    });
}

void TCellGrid::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_selecting)
        return;
    qc::guarded([&] {
        m_lastPointer = toClient(event->position());
        moveToPoint(m_lastPointer);
    });
}

void TCellGrid::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_selecting)
        return;
    qc::guarded([&] {
        moveToPoint(toClient(event->position()));
        // Idle before the click step, so a handler that opens a window finds no timer running.
        stopSelecting();
        CellClicked();
    });
}

void TCellGrid::moveToPoint(QPoint clientPos)
{
    const auto cell = qc::grid::cellAt(metrics(), m_shape, clientPos);
    if (cell && cell->y() >= m_shape.fixedRows && *cell != m_current)
        SetCurrentCell(cell->x(), cell->y());
}

void TCellGrid::stepTowardsPointer()
{
    const QPoint target = qc::grid::edgeStep(metrics(), m_shape, m_current, m_lastPointer);
    if (target != m_current)
        SetCurrentCell(target.x(), target.y());
}

void TCellGrid::stopSelecting()
{
    m_selecting = false;
    m_selectTimer.stop();
}

void TCellGrid::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_selectTimer.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    qc::guarded([&] {
        if (m_selecting)
            stepTowardsPointer();
    });
}

void TCellGrid::keyPressEvent(QKeyEvent *event)
{
    bool handled = false;
    qc::guarded([&] {
        int key = event->key();
        KeyDown(key, event->modifiers());
        // Every navigation key is ours, also when it moves nothing (Ctrl+Up, Down in the last row).
        if (key != 0 && !qc::grid::isNavigationKey(key))
            return;
        handled = true;
        if (key == 0)
            return;
        const auto target = qc::grid::keyTarget(key, event->modifiers(), m_current, m_shape);
        if (target && *target != m_current)
            GoToCell(*target);
    });
    if (handled)
        event->accept();
    else
        QWidget::keyPressEvent(event); // Enter, Esc, F2 and characters belong to the window
}

void TCellGrid::GoToCell(QPoint target)
{
    SetCurrentCell(target.x(), target.y());
    CellClicked();
}

void TCellGrid::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update(CellRect(m_current.x(), m_current.y()));
}

void TCellGrid::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    // Losing the focus mid-selection (another window popped up) ends it without a click.
    if (m_selecting && event->reason() != Qt::PopupFocusReason)
        stopSelecting();
    update(CellRect(m_current.x(), m_current.y()));
}

void TCellGrid::hideEvent(QHideEvent *event)
{
    stopSelecting();
    QWidget::hideEvent(event);
}
