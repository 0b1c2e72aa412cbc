// TPanel's and TBevel's painting.
#include "panel.h"

#include <QPainter>
#include <QStyle>
#include <qdrawutil.h>

TPanel::TPanel(QWidget *parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setAutoFillBackground(true);
    setBevels(m_outer, m_inner, m_bevelWidth, m_borderWidth, m_singleBorder);
}

void TPanel::setBevels(Bevel outer, Bevel inner, int bevelWidth, int borderWidth, bool singleBorder)
{
    m_outer = outer;
    m_inner = inner;
    m_bevelWidth = bevelWidth;
    m_borderWidth = borderWidth;
    m_singleBorder = singleBorder;
    const int margin
        = (singleBorder ? 2 : 0) + ((outer != bvNone) + (inner != bvNone)) * bevelWidth + borderWidth;
    setContentsMargins(margin, margin, margin, margin);
    update();
}

void TPanel::setFitText(bool fit)
{
    m_fitText = fit;
    update();
}

QRect TPanel::captionRect() const
{
    QRect area = contentsRect();
    // As QLabel places its text: the indent on each side the text is aligned to; a negative indent
    // in a frame is half an "x".
    int indent = this->indent();
    if (indent < 0)
        indent = frameWidth() > 0 ? fontMetrics().horizontalAdvance(u'x') / 2 : 0;
    const Qt::Alignment align = QStyle::visualAlignment(layoutDirection(), alignment());
    if (align & Qt::AlignLeft)
        area.setLeft(area.left() + indent);
    if (align & Qt::AlignRight)
        area.setRight(area.right() - indent);
    if (align & Qt::AlignTop)
        area.setTop(area.top() + indent);
    if (align & Qt::AlignBottom)
        area.setBottom(area.bottom() - indent);
    return area;
}

int TPanel::captionRoom() const
{
    // A caption aligned to one side keeps the indent's distance from the other side too.
    const QRect area = captionRect();
    const Qt::Alignment horizontal = alignment() & Qt::AlignHorizontal_Mask;
    return area.width()
        - (horizontal & (Qt::AlignLeft | Qt::AlignRight) ? contentsRect().width() - area.width() : 0);
}

bool TPanel::captionFits() const
{
    return QFontMetrics(captionFont()).horizontalAdvance(text()) <= captionRoom();
}

QFont TPanel::captionFont() const
{
    QFont fitted = font();
    if (!m_fitText || text().isEmpty())
        return fitted;
    const int room = captionRoom();
    int pixels = QFontInfo(fitted).pixelSize();
    // Below this a caption would no longer be legible; it is then cut after all.
    constexpr int smallest = 8;
    while (pixels > smallest && QFontMetrics(fitted).horizontalAdvance(text()) > room) {
        --pixels;
        fitted.setPixelSize(pixels);
    }
    return fitted;
}

void TPanel::paintEvent(QPaintEvent *event)
{
    const QFont caption = captionFont();
    if (caption == font()) {
        QLabel::paintEvent(event);
    } else {
        QPainter painter(this);
        drawFrame(&painter);
        painter.setFont(caption);
        style()->drawItemText(&painter, captionRect(),
            QStyle::visualAlignment(layoutDirection(), alignment()), palette(), isEnabled(), text(),
            foregroundRole());
    }
    QPainter painter(this);
    QRect area = rect();
    if (m_singleBorder) {
        qDrawWinPanel(&painter, area, palette(), true);
        area.adjust(2, 2, -2, -2);
    }
    const auto drawBevel = [&](Bevel bevel) {
        if (bevel == bvNone)
            return;
        // Light on the left and top of a raised bevel, shadow on the right and bottom; the other
        // way round for a lowered one. Each bevel is bevelWidth pixels, as the contents margins
        // count it, so a caption that fits the margins never runs over a bevel.
        qDrawShadePanel(&painter, area, palette(), bevel == bvLowered, m_bevelWidth, nullptr);
        area.adjust(m_bevelWidth, m_bevelWidth, -m_bevelWidth, -m_bevelWidth);
    };
    drawBevel(m_outer);
    area.adjust(m_borderWidth, m_borderWidth, -m_borderWidth, -m_borderWidth);
    drawBevel(m_inner);
}

void TBevel::setShape(Shape shape)
{
    m_shape = shape;
    update();
}

void TBevel::paintEvent(QPaintEvent *)
{
    // A groove: the shadow line, then the light one beside it.
    QPainter painter(this);
    const QPalette &colours = palette();
    if (m_shape == bsLeftLine) {
        painter.setPen(colours.color(QPalette::Dark));
        painter.drawLine(0, 0, 0, height() - 1);
        painter.setPen(colours.color(QPalette::Light));
        painter.drawLine(1, 0, 1, height() - 1);
    } else {
        painter.setPen(colours.color(QPalette::Dark));
        painter.drawLine(0, 0, width() - 1, 0);
        painter.setPen(colours.color(QPalette::Light));
        painter.drawLine(0, 1, width() - 1, 1);
    }
}
