// The main window: title banner, month grid, control strip with the clock, the year and month
// spinners and the six buttons, and the status bar. It wires every control to its handler and
// owns the notification-area icon. The small controls the form is built from live here too.
#pragma once

#include "components/panel.h"

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

    // True while the start-up sequence loads the birthdays: the birthday dialog is then not shown.
    bool StartupLoad = false;

    void setSetupForm(TSetupForm *form) { m_setupForm = form; }
    void setAboutForm(TAboutForm *form) { m_aboutForm = form; }

    TCalendar *calendar() const;
    TTrayIcon *trayIcon() const { return m_itask; }
    QTimer *clockTimer() const { return m_timer; }
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
    QList<QLabel *> m_statusPanels;
    QTimer *m_timer = nullptr;
    TTrayIcon *m_itask = nullptr;
    TSetupForm *m_setupForm = nullptr;
    TAboutForm *m_aboutForm = nullptr;
    QString m_dateFormat;
    QString m_timeFormat;
    bool m_placed = false;
};
