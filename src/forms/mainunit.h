// The main window: title banner, month grid, control strip with the clock, the year and month
// spinners and the six buttons, and the status bar. It wires every control to its handler and
// owns the notification-area icon. The form's up-down spinner control (TUpDown) lives here too.
#pragma once

#include "components/panel.h"
#include "core/birthdays.h"

#include <QFont>
#include <QLabel>
#include <QSpinBox>
#include <QTimer>
#include <QWidget>

#include <memory>

class QLineEdit;
class QStatusBar;
class TAboutForm;
class TCalendar;
class TSetupForm;
class TTrayIcon;

namespace Ui {
class Tmainform;
}

// A read-only number field with its up-down arrows. Click is reported only for a step the user
// made that really moved the position; setting the position in code reports nothing.
class TUpDown : public QSpinBox
{
    Q_OBJECT

public:
    explicit TUpDown(QWidget *parent = nullptr);

    int Position() const { return value(); }
    void setPosition(int position) { setValue(position); }
    QLineEdit *field() const { return lineEdit(); }

    void stepBy(int steps) override;

Q_SIGNALS:
    void Click(QObject *sender);
};

class Tmainform : public QWidget
{
    Q_OBJECT

public:
    explicit Tmainform(QWidget *parent = nullptr);
    ~Tmainform() override;

    // The window's own font, "MS Sans Serif" at 11 pixels. It draws the status bar alone, whose
    // texts are ASCII (the credit line, "Date :" with the DateKey, the note size), so it names the
    // Latin face alone: no fallback list is built for it at start-up.
    static QFont ownFont();

    // True while the start-up sequence loads the birthdays: the birthday dialog is then not shown.
    bool StartupLoad = false;

    void setSetupForm(TSetupForm *form) { m_setupForm = form; }

    // The reminder check of a day. At start-up the birthday list is loaded first, as "生日" loads
    // it; on a new day it is loaded again unless the birthday dialog is open with the user's edits.
    // Every birthday due is then announced, each box modal to the main window, shown or hidden.
    // The first clock tick of every later day runs it once more, for that day (never twice for one).
    void remindBirthdays(bool atStartup);
    void setAboutForm(TAboutForm *form) { m_aboutForm = form; }

    TCalendar *calendar() const;
    QString statusText(int panel) const;

public Q_SLOTS:
    void FormCreate();
    void CALChange(QObject *sender);
    void UpDown1Click(QObject *sender);
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtn5Click();
    void BitBtn6Click();
    void Timer1Timer();
    void iTaskClick(QObject *sender);

Q_SIGNALS:
    // The window was closed: the program ends.
    void closed();

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyFonts();
    void setUpStatusBar();
    void wire();
    void readClockFormats();
    void moveGridTo(int year, int month, int day);

    std::unique_ptr<Ui::Tmainform> m_ui;
    QList<TPanel *> m_statusPanels;
    QRect m_sizePanelPlace; // where the note size panel stands while its text fits
    QTimer *m_timer = nullptr;
    TTrayIcon *m_itask = nullptr;
    TSetupForm *m_setupForm = nullptr;
    TAboutForm *m_aboutForm = nullptr;
    qc::ReminderDays m_remindedDays;
    bool m_reminding = false; // a reminder check runs, or is about to
    QString m_dateFormat;
    QString m_timeFormat;
    bool m_placed = false;
};
