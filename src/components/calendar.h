// TCalendar: the month grid. Shows the month of the held date as 7 x 7 cells (a header row of
// weekday names, six rows of days), highlights the held day and lets the user pick another day
// of the same month. The owner moves between months and years through Year, Month and Day.
#pragma once

#include "cellgrid.h"
#include "core/dates.h"

#include <QStringList>

class TCalendar : public TCellGrid
{
    Q_OBJECT
    Q_PROPERTY(int Year READ Year WRITE setYear STORED false)
    Q_PROPERTY(int Month READ Month WRITE setMonth STORED false)
    Q_PROPERTY(int Day READ Day WRITE setDay STORED false)
    Q_PROPERTY(int StartOfWeek READ StartOfWeek WRITE setStartOfWeek)
    Q_PROPERTY(bool UseCurrentDate READ UseCurrentDate WRITE setUseCurrentDate)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE setReadOnly)

public:
    explicit TCalendar(QWidget *parent = nullptr);

    int Year() const;
    int Month() const;
    int Day() const;
    // The date-element setter: values it is built to refuse are ignored; a combination that is
    // no date throws EConvertError and leaves everything as it was.
    void setYear(int value);
    void setMonth(int value);
    void setDay(int value);

    int StartOfWeek() const { return m_startOfWeek; }
    void setStartOfWeek(int value);
    bool UseCurrentDate() const { return m_useCurrentDate; }
    void setUseCurrentDate(bool value);
    bool ReadOnly() const { return m_readOnly; }
    void setReadOnly(bool value) { m_readOnly = value; }
    // Color (the day cells' background) and FontColor come from TCellGrid.

    qc::TDateTime HeldDate() const { return m_heldDate; }
    int MonthOffset() const { return m_monthOffset; }

    QString CellLabel(int column, int row) const;
    virtual int MonthLength(int year, int month) const;
    virtual int CurrentMonthLength() const;
    virtual bool LeapYear(int year) const;
    virtual void RefreshMonth();

    // The locale's abbreviated weekday names, Sunday first, read once at program start.
    static const QStringList &dayNames();

Q_SIGNALS:
    void OnChange(QObject *sender);
    void OnClick(QObject *sender);
    void OnDblClick(QObject *sender);

protected:
    virtual void NotifyChange();

    void PaintCell(int column, int row, const QRect &rect, QPainter &painter) override;
    bool CanSelectCell(int column, int row) const override;
    void CellClicked() override;
    void DoubleClicked() override;

    // Where a text of the given size starts when centred in a cell (it may start left of or
    // above the cell when it does not fit).
    static QPoint labelOrigin(const QRect &cell, QSize textSize);

private:
    enum class Element { Year = 1, Month = 2, Day = 3 };
    void changeDate(Element element, int value);
    // RefreshMonth for a month of the given length.
    void layOutMonth(int length);

    qc::TDateTime m_heldDate = 0;
    int m_monthOffset = 0;
    int m_startOfWeek = 0;
    bool m_useCurrentDate = true;
    bool m_readOnly = false;
    bool m_refreshing = false;
    // What the cells were last laid out for, to tell a move within the month from a new layout.
    bool m_laidOut = false;
    int m_laidOutLength = 0;
    int m_laidOutStartOfWeek = 0;
};
