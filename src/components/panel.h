// TPanel: a caption or picture holder drawn the way classic desktop panels were: an optional sunken
// single border, an outer bevel, a gap of BorderWidth pixels in the panel's colour, an inner bevel.
// The main window's banner, control strip, clock panels and status bar panels (with a frame of
// their own instead of bevels), the birthday dialog's panel and the about dialog's panels use it.
// TBevel: a lowered separator line along one edge of its rectangle.
#pragma once

#include <QLabel>

class TPanel : public QLabel
{
    Q_OBJECT

public:
    enum Bevel { bvNone, bvLowered, bvRaised };
    Q_ENUM(Bevel)

    explicit TPanel(QWidget *parent = nullptr);

    // bevelWidth is the width of each bevel; borderWidth the gap between the outer and the inner one.
    void setBevels(
        Bevel outer, Bevel inner, int bevelWidth = 1, int borderWidth = 0, bool singleBorder = false);

    // With fitting on, a caption wider than the space inside the bevels is drawn in the panel's
    // font at the largest pixel size that holds it, so it is never cut at the edge.
    void setFitText(bool fit);
    // The font the caption is drawn in.
    QFont captionFont() const;
    // Whether the whole caption shows in that font.
    bool captionFits() const;
    // Where the caption goes: inside the frame and the bevels, and the indent on its aligned side.
    QRect captionRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int captionRoom() const;

    Bevel m_outer = bvRaised;
    Bevel m_inner = bvNone;
    int m_bevelWidth = 1;
    int m_borderWidth = 0;
    bool m_singleBorder = false;
    bool m_fitText = false;
};

class TBevel : public QWidget
{
    Q_OBJECT

public:
    enum Shape { bsLeftLine, bsTopLine };
    Q_ENUM(Shape)

    using QWidget::QWidget;

    Shape shape() const { return m_shape; }
    void setShape(Shape shape);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Shape m_shape = bsLeftLine;
};
