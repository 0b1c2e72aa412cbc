// The main window's wiring and handlers, and the up-down spinner control of its form.
#include "mainunit.h"

#include "ui_mainunit.h"

#include "UABOUT.h"
#include "components/calendar.h"
#include "components/glyphs.h"
#include "components/regionalsettings.h"
#include "components/taskbarentry.h"
#include "components/trayicon.h"
#include "core/clock.h"
#include "core/dates.h"
#include "core/daynotes.h"
#include "fonts.h"
#include "messages.h"
#include "usetup.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QStatusBar>
#include <QWindow>

#include <algorithm>
#include <array>

namespace {

// The long time format without a time zone: the clock panel shows the local time only.
QString timeFormatWithoutZone(const QString &format)
{
    QString result;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        result.append(c);
    }
    return result.trimmed();
}

// The top-level widget a window belongs to.
QWidget *widgetOf(const QWindow *window)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *widget : windows) {
        if (widget->windowHandle() == window)
            return widget;
    }
    return nullptr;
}

} // namespace

TUpDown::TUpDown(QWidget *parent)
    : QSpinBox(parent)
{
    // The field only shows the position; the arrows and the arrow keys change it.
    lineEdit()->setReadOnly(true);
    setLocale(QLocale::c());
    setGroupSeparatorShown(false);
    setWrapping(false);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void TUpDown::stepBy(int steps)
{
    const int before = value();
    // One position per arrow click or key press, Page Up and Page Down included.
    QSpinBox::stepBy(steps > 0 ? 1 : -1);
    if (value() != before)
        Q_EMIT Click(this);
}

Tmainform::Tmainform(QWidget *parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::Tmainform>())
{
    setFont(ownFont());
    m_ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(441, 273);
    setWindowIcon(qc::programIcon());

    m_ui->Panel1->setBevels(TPanel::bvRaised, TPanel::bvLowered, 2);
    m_ui->Panel2->setBevels(TPanel::bvLowered, TPanel::bvNone);
    m_ui->Edit1->setBevels(TPanel::bvRaised, TPanel::bvLowered);
    m_ui->Edit2->setBevels(TPanel::bvRaised, TPanel::bvLowered);
    // Some locales' date or time formats are longer than the design's panels hold in any face.
    m_ui->Edit1->setFitText(true);
    m_ui->Edit2->setFitText(true);
    m_ui->UpDown1->field()->setObjectName(QStringLiteral("Edit3"));
    m_ui->UpDown2->field()->setObjectName(QStringLiteral("Edit4"));

    const std::array<std::pair<QPushButton *, qc::Glyph>, 6> pictures { {
        { m_ui->BitBtn1, qc::Glyph::Today },
        { m_ui->BitBtn2, qc::Glyph::Note },
        { m_ui->BitBtn3, qc::Glyph::About },
        { m_ui->BitBtn4, qc::Glyph::Hide },
        { m_ui->BitBtn5, qc::Glyph::Exit },
        { m_ui->BitBtn6, qc::Glyph::Today },
    } };
    for (const auto &[button, glyph] : pictures) {
        button->setIcon(qc::glyphIcon(glyph));
        button->installEventFilter(this);
    }

    m_ui->CAL->setToolTipDuration(qc::hintDisplayMs);

    applyFonts();
    setUpStatusBar();
    readClockFormats();
    // The clock follows a change of the regional settings at once (Windows).
    qc::onRegionalSettingsChange(this, [this] {
        readClockFormats();
        Timer1Timer();
    });

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(1000);

    m_itask = new TTrayIcon(this);
    m_itask->setObjectName(QStringLiteral("itask"));
    m_itask->setToolTip(QStringLiteral("Quorvel日历记事本"));
    m_itask->setIcon(qc::programIcon());

    wire();
    m_timer->start();
    m_ui->BitBtn2->setFocus();
    FormCreate();
}

Tmainform::~Tmainform() = default;

QFont Tmainform::ownFont()
{
    return qc::designFont(QStringLiteral("MS Sans Serif"), 11, qc::FontText::Ascii);
}

void Tmainform::applyFonts()
{
    // The design's fonts at their pixel heights. The window's own font is set before its controls
    // are built, so that building them loads no face at a size nothing draws.
    m_ui->Panel1->setFont(qc::designFont(QStringLiteral("隶书"), 29));
    const QFont song = qc::designFont(QStringLiteral("宋体"), 16);
    m_ui->CAL->setFont(song);
    m_ui->Panel2->setFont(song);
    // The labels in the strip are bold in the form, in the strip's font.
    m_ui->Label1->adjustSize();
    m_ui->Label2->adjustSize();
}

void Tmainform::setUpStatusBar()
{
    // Fixed panels from the left edge, each drawn 2 pixels short of the next as the classic status
    // bar drew them; QStatusBar's own layout would add margins and spacing of its own.
    constexpr std::array<int, 3> widths { 100, 150, 50 };
    int left = 0;
    for (int i = 0; i < int(widths.size()); ++i) {
        auto *panel = new TPanel(m_ui->SBAR);
        panel->setObjectName(QStringLiteral("SBARPanel%1").arg(i));
        panel->setBevels(TPanel::bvNone, TPanel::bvNone);
        panel->setAutoFillBackground(false);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setIndent(1);
        // Notes of a thousand bytes and more ("1234 Bytes" up to "1048576 Bytes") are wider than
        // the note size panel in the window's face: they are drawn a few pixel sizes smaller, one
        // pixel clear of the frame on either side.
        panel->setFitText(true);
        panel->setGeometry(left, 2, widths[i] - 2, m_ui->SBAR->height() - 2);
        left += widths[i];
        m_statusPanels.append(panel);
    }
    m_sizePanelPlace = m_statusPanels[2]->geometry();
    m_statusPanels[0]->setAlignment(Qt::AlignCenter);
    m_statusPanels[0]->setText(QStringLiteral("Quorvel Studio"));
}

void Tmainform::wire()
{
    connect(m_ui->CAL, &TCalendar::OnChange, this, &Tmainform::CALChange);
    connect(m_ui->UpDown1, &TUpDown::Click, this, &Tmainform::UpDown1Click);
    connect(m_ui->UpDown2, &TUpDown::Click, this, &Tmainform::UpDown1Click);
    connect(m_ui->BitBtn1, &QPushButton::clicked, this, &Tmainform::BitBtn1Click);
    connect(m_ui->BitBtn2, &QPushButton::clicked, this, &Tmainform::BitBtn2Click);
    connect(m_ui->BitBtn3, &QPushButton::clicked, this, &Tmainform::BitBtn3Click);
    connect(m_ui->BitBtn4, &QPushButton::clicked, this, &Tmainform::BitBtn4Click);
    connect(m_ui->BitBtn5, &QPushButton::clicked, this, &Tmainform::BitBtn5Click);
    connect(m_ui->BitBtn6, &QPushButton::clicked, this, &Tmainform::BitBtn6Click);
    connect(m_timer, &QTimer::timeout, this, &Tmainform::Timer1Timer);
    connect(m_itask, &TTrayIcon::OnClick, this, &Tmainform::iTaskClick);
}

TCalendar *Tmainform::calendar() const
{
    return m_ui->CAL;
}

QString Tmainform::statusText(int panel) const
{
    return m_statusPanels.value(panel) ? m_statusPanels[panel]->text() : QString();
}

void Tmainform::readClockFormats()
{
    const QLocale locale = QLocale::system();
    m_dateFormat = locale.dateFormat(QLocale::ShortFormat);
    m_timeFormat = timeFormatWithoutZone(locale.timeFormat(QLocale::LongFormat));
}

// Writes the grid's year, month and day in an order whose every intermediate date exists, so
// the grid's strict setter never refuses a step on the way. Each write that changes the date
// still raises the grid's change event. Between two existing dates there always is such an order:
// the day first when it does not grow; otherwise the month, the year and then the day (a held day
// above 28 is then below the target's, so the target month is no February and has it every year).
void Tmainform::moveGridTo(int year, int month, int day)
{
    TCalendar *grid = m_ui->CAL;
    enum Element { Y, M, D };
    using Order = std::array<Element, 3>;
    static constexpr std::array<Order, 6> orders { { { Y, M, D }, { Y, D, M }, { M, Y, D }, { M, D, Y },
        { D, Y, M }, { D, M, Y } } };
    const qc::DateParts target { year, month, day };
    const auto take = [&target](qc::DateParts &at, Element element) {
        switch (element) {
        case Y:
            at.year = target.year;
            break;
        case M:
            at.month = target.month;
            break;
        case D:
            at.day = target.day;
            break;
        }
    };
    const auto passes = [&](const Order &order, qc::DateParts at) {
        for (const Element element : order) {
            take(at, element);
            if (at.day > qc::daysInMonth(at.year, at.month))
                return false;
        }
        return true;
    };
    const auto write = [grid, &target](Element element) {
        if (element == Y)
            grid->setYear(target.year);
        else if (element == M)
            grid->setMonth(target.month);
        else
            grid->setDay(target.day);
    };
    const qc::DateParts held { grid->Year(), grid->Month(), grid->Day() };
    for (const Order &order : orders) {
        if (passes(order, held)) {
            for (const Element element : order)
                write(element);
            return;
        }
    }
}

void Tmainform::FormCreate()
{
    qc::guarded([&] {
        m_ui->UpDown1->setPosition(m_ui->CAL->Year());
        m_ui->UpDown2->setPosition(m_ui->CAL->Month());
        m_ui->CAL->setToolTip(qc::dateKey(m_ui->CAL->Year(), m_ui->CAL->Month(), m_ui->CAL->Day()));
        m_itask->setActive(true);
    });
}

void Tmainform::CALChange(QObject *)
{
    qc::guarded([&] {
        const TCalendar *grid = m_ui->CAL;
        const qint64 size = qc::noteSize(grid->Year(), grid->Month(), grid->Day());
        const QString key = qc::dateKey(grid->Year(), grid->Month(), grid->Day());
        m_ui->CAL->setToolTip(key);
        m_statusPanels[1]->setText(QStringLiteral("Date :") + key);
        TPanel *sizePanel = m_statusPanels[2];
        sizePanel->setText(QString::number(size) + QStringLiteral(" Bytes"));
        // Where even the smallest legible size is too wide (notes of ten megabytes and more), the
        // last panel runs on to the bar's edge, as the last part of a status bar may.
        sizePanel->setGeometry(m_sizePanelPlace);
        if (!sizePanel->captionFits())
            sizePanel->setGeometry(
                m_sizePanelPlace.adjusted(0, 0, m_ui->SBAR->width() - m_sizePanelPlace.right() - 1, 0));
    });
}

void Tmainform::UpDown1Click(QObject *)
{
    qc::guarded([&] {
        const int year = m_ui->UpDown1->Position();
        const int month = m_ui->UpDown2->Position();
        // The grid follows the spinners: a day the target month lacks becomes its last day.
        const int day = std::min(m_ui->CAL->Day(), qc::daysInMonth(year, month));
        moveGridTo(year, month, day);
    });
}

void Tmainform::BitBtn1Click()
{
    qc::guarded([&] {
        const QDate today = qc::today();
        moveGridTo(today.year(), today.month(), today.day());
        m_ui->UpDown1->setPosition(m_ui->CAL->Year());
        m_ui->UpDown2->setPosition(m_ui->CAL->Month());
        m_ui->CAL->setToolTip(qc::dateKey(m_ui->CAL->Year(), m_ui->CAL->Month(), m_ui->CAL->Day()));
    });
}

void Tmainform::BitBtn2Click()
{
    qc::guarded([&] { qc::openNote(m_ui->CAL->Year(), m_ui->CAL->Month(), m_ui->CAL->Day()); });
}

void Tmainform::BitBtn3Click()
{
    qc::guarded([&] {
        if (m_aboutForm)
            qc::execModal(m_aboutForm);
    });
}

void Tmainform::BitBtn4Click()
{
    qc::guarded([&] {
        // Without a notification area nothing could bring a hidden window back.
        if (m_itask->isAvailable())
            hide();
        else if (!qc::minimizeToTaskbarEntry())
            showMinimized();
    });
}

void Tmainform::BitBtn5Click()
{
    qc::guarded([&] {
        if (qc::askYesNo(
                QStringLiteral("Quorvel日历记事本"), QStringLiteral("您确信要退出Quorvel日历记事本吗")))
            close();
    });
}

void Tmainform::BitBtn6Click()
{
    qc::guarded([&] {
        if (!m_setupForm)
            return;
        m_setupForm->LoadBirthdays();
        if (!StartupLoad)
            qc::execModal(m_setupForm);
    });
}

void Tmainform::Timer1Timer()
{
    qc::guarded([&] {
        const QLocale locale = QLocale::system();
        const QDateTime now = qc::now();
        m_ui->Edit1->setText(locale.toString(now.date(), m_dateFormat));
        m_ui->Edit2->setText(locale.toString(now.time(), m_timeFormat));
        // A new day brings its reminders. They come once this tick is done, so that the clock goes
        // on ticking while they are open (a timer is not run again from inside its own tick).
        if (!m_reminding && m_remindedDays.todayDue()) {
            m_reminding = true;
            QMetaObject::invokeMethod(
                this, [this] { qc::guarded([this] { remindBirthdays(false); }); }, Qt::QueuedConnection);
        }
    });
}

void Tmainform::remindBirthdays(bool atStartup)
{
    m_reminding = true;
    const auto done = qScopeGuard([this] {
        m_reminding = false;
        StartupLoad = false;
    });
    m_remindedDays.add(qc::today());
    if (!m_setupForm)
        return;
    if (atStartup) {
        StartupLoad = true;
        BitBtn6Click();
    } else if (!m_setupForm->isVisible()) {
        qc::guarded([&] { m_setupForm->LoadBirthdays(); });
    }
    m_setupForm->BitBtn4Click();
}

void Tmainform::iTaskClick(QObject *)
{
    qc::guarded([&] {
        qc::restoreFromTaskbarEntry();
        if (isMinimized())
            showNormal();
        else
            show();
        raise();
        // Open boxes and dialogs come back too, also from the minimised state, each in front of
        // the window it disables; the topmost one takes the keyboard.
        QList<QWidget *> owned;
        for (QWindow *w = QGuiApplication::modalWindow(); w && w != windowHandle();
             w = w->transientParent()) {
            if (QWidget *widget = widgetOf(w))
                owned.prepend(widget);
        }
        for (QWidget *widget : std::as_const(owned)) {
            if (widget->isMinimized())
                widget->setWindowState(widget->windowState() & ~Qt::WindowMinimized);
            widget->show();
            widget->raise();
        }
        (owned.isEmpty() ? static_cast<QWidget *>(this) : owned.constLast())->activateWindow();
    });
}

void Tmainform::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LocaleChange)
        readClockFormats();
    QWidget::changeEvent(event);
}

void Tmainform::showEvent(QShowEvent *event)
{
    // Centred the first time only; afterwards the window comes back where it was left.
    if (!m_placed) {
        m_placed = true;
        if (const QScreen *screen = this->screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    QWidget::showEvent(event);
}

void Tmainform::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted())
        Q_EMIT closed();
}

bool Tmainform::eventFilter(QObject *watched, QEvent *event)
{
    // No button is a default button, yet Enter presses the focused one, as Space does.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (auto *button = qobject_cast<QPushButton *>(watched)) {
                button->animateClick();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
