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

TCellGrid::TCellGrid(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    // Lines, cells and strips cover the whole client area; the border covers the rest.
    setAttribute(Qt::WA_OpaquePaintEvent);
    updateMetrics();
}

void TCellGrid::setGridLineWidth(int width)
{
    if (width < 0 || width == m_gridLineWidth)
        return;
    m_gridLineWidth = width;
    m_metrics.lineWidth = width;
    update();
}

void TCellGrid::setCtl3D(bool value)
{
    if (value == m_ctl3D)
        return;
    m_ctl3D = value;
    updateMetrics();
    update();
}

void TCellGrid::setBorderStyle(TBorderStyle style)
{
    if (style == m_borderStyle)
        return;
    m_borderStyle = style;
    updateMetrics();
    update();
}

QColor TCellGrid::Color() const
{
    return m_color.isValid() ? m_color : palette().color(QPalette::Base);
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
    return palette().color(QPalette::WindowText);
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
    return qc::layout::cellRect(m_metrics, column, row).translated(clientRect().topLeft());
}

QSize TCellGrid::sizeHint() const
{
    return { 441, 143 };
}

QSize TCellGrid::minimumSizeHint() const
{
    const int b = 2 * borderWidth() + 6 * m_gridLineWidth;
    return { b + 7 * 8, b + 7 * 8 };
}

bool TCellGrid::CanSelectCell(int column, int row) const
{
    Q_UNUSED(column)
    return row >= FixedRows;
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

void TCellGrid::updateMetrics()
{
    m_metrics = qc::layout::cellMetrics(clientRect().size(), m_gridLineWidth);
}

QPoint TCellGrid::toClient(QPointF widgetPos) const
{
    return widgetPos.toPoint() - clientRect().topLeft();
}

void TCellGrid::paintEvent(QPaintEvent *event)
{
    // No window may open while the painter is active.
    qc::guardedDeferred([&] {
        QPainter painter(this);
        if (m_borderStyle == bsSingle) {
            if (m_ctl3D) {
                qDrawWinPanel(&painter, rect(), palette(), true);
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

        paintGridLines(painter);

        const QPalette &pal = palette();
        const QColor dayColor = Color();
        for (int row = 0; row < RowCount; ++row) {
            for (int column = 0; column < ColCount; ++column) {
                const QRect cell = qc::layout::cellRect(m_metrics, column, row);
                if (cell.isEmpty() || !dirty.intersects(cell))
                    continue;
                const bool header = row < FixedRows;
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
            for (int column = 0; column < ColCount; ++column) {
                const QRect cell = qc::layout::cellRect(m_metrics, column, 0);
                if (!cell.isEmpty() && dirty.intersects(cell))
                    paintHeaderBevel(painter, cell);
            }
        }

        const QRect currentRect = qc::layout::cellRect(m_metrics, m_current.x(), m_current.y());
        if (isActiveControl() && !currentRect.isEmpty() && dirty.intersects(currentRect))
            paintFocusRect(painter, currentRect);

        const int right = ColCount * (m_metrics.width + m_metrics.lineWidth);
        const int bottom = RowCount * (m_metrics.height + m_metrics.lineWidth);
        if (right < client.width())
            painter.fillRect(QRect(right, 0, client.width() - right, client.height()), dayColor);
        if (bottom < client.height())
            painter.fillRect(QRect(0, bottom, client.width(), client.height() - bottom), dayColor);
    });
}

void TCellGrid::paintGridLines(QPainter &painter) const
{
    const int lw = m_metrics.lineWidth;
    if (lw <= 0)
        return;
    const int w = m_metrics.width;
    const int h = m_metrics.height;
    const int stepX = w + lw;
    const int stepY = h + lw;
    const int fullWidth = ColCount * stepX;

    const QColor headerLine = Qt::black;
    // Silver lines would vanish on silver cells.
    const QColor dayLine
        = Color().rgb() == qRgb(192, 192, 192) ? QColor(128, 128, 128) : QColor(192, 192, 192);

    for (int column = 0; column < ColCount; ++column)
        painter.fillRect(QRect(column * stepX + w, 0, lw, h), headerLine);
    painter.fillRect(QRect(0, h, fullWidth, lw), headerLine);

    for (int column = 0; column < ColCount; ++column)
        painter.fillRect(QRect(column * stepX + w, stepY, lw, (RowCount - FixedRows) * stepY), dayLine);
    for (int row = FixedRows; row < RowCount; ++row)
        painter.fillRect(QRect(0, row * stepY + h, fullWidth, lw), dayLine);
}

void TCellGrid::paintHeaderBevel(QPainter &painter, const QRect &rect) const
{
    const QPalette &pal = palette();
    painter.setPen(pal.color(QPalette::Light));
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(pal.color(QPalette::Dark));
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
}

void TCellGrid::paintFocusRect(QPainter &painter, const QRect &rect) const
{
    QPen pen(palette().color(QPalette::HighlightedText), 1);
    pen.setCosmetic(true);
    pen.setDashPattern({ 1.0, 1.0 });
    painter.save();
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    painter.restore();
}

void TCellGrid::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    updateMetrics();
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
        const auto cell = qc::layout::cellAt(m_metrics, pos);
        if (!cell || cell->y() < FixedRows)
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
    const auto cell = qc::layout::cellAt(m_metrics, clientPos);
    if (cell && cell->y() >= FixedRows && *cell != m_current)
        SetCurrentCell(cell->x(), cell->y());
}

void TCellGrid::stepTowardsPointer()
{
    const int stepX = m_metrics.width + m_metrics.lineWidth;
    const int stepY = m_metrics.height + m_metrics.lineWidth;
    int column = m_current.x();
    int row = m_current.y();
    if (m_lastPointer.x() < 0 && column > 0)
        --column;
    else if (m_lastPointer.x() >= ColCount * stepX && column < ColCount - 1)
        ++column;
    if (m_lastPointer.y() < FixedRows * stepY && row > FixedRows)
        --row;
    else if (m_lastPointer.y() >= RowCount * stepY && row < RowCount - 1)
        ++row;
    if (QPoint(column, row) != m_current)
        SetCurrentCell(column, row);
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
        if (key == 0) {
            handled = true;
            return;
        }
        const auto target = qc::layout::keyTarget(key, event->modifiers(), m_current);
        if (!target)
            return;
        handled = true;
        if (*target != m_current)
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
