// The notification-area icon: tooltip limit, Active transitions, the record handed over on every
// call, click reporting and the desktop without a tray.
#include "components/trayicon.h"
#include "core/cp936.h"
#include "core/errors.h"
#include "forms/messages.h"
#include "testsupport.h"

#include <QCursor>
#include <QPainter>
#include <QPixmap>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

#include <memory>

namespace {

using Message = qc::TrayShell::Message;
using Event = qc::TrayShell::Event;

struct Call
{
    Message message;
    QString toolTip;
    qint64 iconKey;
};

// Outlives the icon that owns the shell, so the call made on destruction can be seen.
struct Log
{
    QList<Call> calls;
    bool available = true;
    qc::TrayShell *shell = nullptr;
};

class RecordingShell final : public qc::TrayShell
{
public:
    explicit RecordingShell(std::shared_ptr<Log> log)
        : m_log(std::move(log))
    {
        m_log->shell = this;
    }
    ~RecordingShell() override { m_log->shell = nullptr; }
    bool available() const override { return m_log->available; }
    void notify(Message message, const Record &record) override
    {
        m_log->calls.append({ message, record.toolTip, record.icon.cacheKey() });
    }

private:
    std::shared_ptr<Log> m_log;
};

QIcon colouredIcon(Qt::GlobalColor colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

QString repeated(char c, int count)
{
    return QString(count, QLatin1Char(c));
}

} // namespace

class TestTrayIcon : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_log = std::make_shared<Log>();
        m_icon = std::make_unique<TTrayIcon>(std::make_unique<RecordingShell>(m_log));
    }
    void cleanup() { m_icon.reset(); }

    void toolTipIsCutToSixtyTwoBytes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        const QString ascii61 = repeated('a', 61);
        QTest::newRow("program title")
            << QStringLiteral("Quorvel日历记事本") << QStringLiteral("Quorvel日历记事本");
        QTest::newRow("70 single bytes") << repeated('x', 70) << repeated('x', 62);
        QTest::newRow("62 single bytes") << repeated('x', 62) << repeated('x', 62);
        QTest::newRow("two-byte character across byte 62")
            << ascii61 + QStringLiteral("日历") + repeated('b', 5) << ascii61;
        QTest::newRow("two-byte character ending at byte 62")
            << repeated('a', 60) + QStringLiteral("日历") << repeated('a', 60) + QStringLiteral("日");
        QTest::newRow("35 Chinese characters") << QString(35, QChar(0x65E5)) << QString(31, QChar(0x65E5));
        QTest::newRow("empty") << QString() << QString();
    }
    void toolTipIsCutToSixtyTwoBytes()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        m_icon->setActive(true);
        m_icon->setToolTip(text);
        QCOMPARE(m_icon->ToolTip(), shown);
        QCOMPARE(m_log->calls.last().toolTip, shown);
        QVERIFY(qc::cp936::byteLength(m_icon->ToolTip()) <= 62);
    }

    void activeAddsOnceAndDeletesOnce()
    {
        m_icon->setActive(false);
        QVERIFY(m_log->calls.isEmpty());
        m_icon->setActive(true);
        m_icon->setActive(true);
        QCOMPARE(m_log->calls.size(), 1);
        QCOMPARE(m_log->calls[0].message, Message::Add);
        m_icon->setActive(false);
        m_icon->setActive(false);
        QCOMPARE(m_log->calls.size(), 2);
        QCOMPARE(m_log->calls[1].message, Message::Delete);
        m_icon->setActive(true);
        QCOMPARE(m_log->calls.size(), 3);
        QCOMPARE(m_log->calls[2].message, Message::Add);
    }

    void recordCarriesCurrentPropertiesOnEveryCall()
    {
        const QIcon red = colouredIcon(Qt::red);
        const QIcon blue = colouredIcon(Qt::blue);
        m_icon->setToolTip(QStringLiteral("before"));
        m_icon->setIcon(red);
        QVERIFY2(m_log->calls.isEmpty(), "an inactive icon tells the tray nothing");

        m_icon->setActive(true);
        QCOMPARE(m_log->calls.size(), 1);
        QCOMPARE(m_log->calls[0].toolTip, QStringLiteral("before"));
        QCOMPARE(m_log->calls[0].iconKey, red.cacheKey());

        m_icon->setToolTip(QStringLiteral("while shown"));
        QCOMPARE(m_log->calls.size(), 2);
        QCOMPARE(m_log->calls[1].message, Message::Modify);
        QCOMPARE(m_log->calls[1].toolTip, QStringLiteral("while shown"));

        m_icon->setActive(false);
        m_icon->setToolTip(QStringLiteral("while hidden"));
        m_icon->setIcon(blue);
        QCOMPARE(m_log->calls.size(), 3);
        m_icon->setActive(true);
        QCOMPARE(m_log->calls.size(), 4);
        QCOMPARE(m_log->calls[3].message, Message::Add);
        QCOMPARE(m_log->calls[3].toolTip, QStringLiteral("while hidden"));
        QCOMPARE(m_log->calls[3].iconKey, blue.cacheKey());
    }

    void destructionRemovesAnActiveIcon_data()
    {
        QTest::addColumn<bool>("active");
        QTest::addColumn<int>("deletes");
        QTest::newRow("active") << true << 1;
        QTest::newRow("inactive") << false << 0;
    }
    void destructionRemovesAnActiveIcon()
    {
        QFETCH(bool, active);
        QFETCH(int, deletes);
        m_icon->setActive(active);
        m_log->calls.clear();
        m_icon.reset();
        QCOMPARE(m_log->calls.size(), deletes);
        if (deletes)
            QCOMPARE(m_log->calls[0].message, Message::Delete);
    }

    void activationReasonsMapToEvents_data()
    {
        QTest::addColumn<int>("reason");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("click") << int(QSystemTrayIcon::Trigger) << QStringList { QStringLiteral("click") };
#ifdef Q_OS_WIN
        QTest::newRow("double click")
            << int(QSystemTrayIcon::DoubleClick) << QStringList { QStringLiteral("dbl") };
#else
        QTest::newRow("double click") << int(QSystemTrayIcon::DoubleClick)
                                      << QStringList { QStringLiteral("dbl"), QStringLiteral("click") };
#endif
        QTest::newRow("context") << int(QSystemTrayIcon::Context) << QStringList { QStringLiteral("right") };
        QTest::newRow("middle") << int(QSystemTrayIcon::MiddleClick) << QStringList();
        QTest::newRow("unknown") << int(QSystemTrayIcon::Unknown) << QStringList();
    }
    void activationReasonsMapToEvents()
    {
        QFETCH(int, reason);
        QFETCH(QStringList, expected);
        QStringList seen;
        connect(m_icon.get(), &TTrayIcon::OnClick, this, [&] { seen << QStringLiteral("click"); });
        connect(m_icon.get(), &TTrayIcon::OnDblClick, this, [&] { seen << QStringLiteral("dbl"); });
        connect(m_icon.get(), &TTrayIcon::OnRightClick, this, [&] { seen << QStringLiteral("right"); });
        const QList<Event> events = qc::trayEventsFor(reason);
        for (const Event event : events)
            m_log->shell->onEvent(event);
        QCOMPARE(seen, expected);
    }

    void eventsCarrySenderAndCursor()
    {
        QSignalSpy clicks(m_icon.get(), &TTrayIcon::OnClick);
        QSignalSpy rightClicks(m_icon.get(), &TTrayIcon::OnRightClick);
        m_log->shell->onEvent(Event::ShowRequested);
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(clicks[0][0].value<QObject *>(), m_icon.get());

        m_log->shell->onEvent(Event::RightClick);
        QCOMPARE(rightClicks.size(), 1);
        const QList<QVariant> args = rightClicks[0];
        QCOMPARE(args[0].value<QObject *>(), m_icon.get());
        QCOMPARE(args[1].value<Qt::MouseButton>(), Qt::RightButton);
        QCOMPARE(args[2].value<Qt::KeyboardModifiers>(), Qt::KeyboardModifiers(Qt::NoModifier));
        QCOMPARE(QPoint(args[3].toInt(), args[4].toInt()), QCursor::pos());
    }

    void failingClickHandlerShowsErrorBox()
    {
        QStringList shown;
        const qctest::ScopedMessageHook hook([&](qc::MessageKind kind, const QString &, const QString &text) {
            if (kind == qc::MessageKind::Error)
                shown << text;
            return false;
        });
        connect(m_icon.get(), &TTrayIcon::OnClick, this,
            [] { throw qc::EConvertError(QStringLiteral("Invalid argument to date encode")); });
        m_log->shell->onEvent(Event::Click);
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0].startsWith(QStringLiteral("Invalid argument to date encode")));
    }

    void withoutTrayTheIconWaitsForOne()
    {
        m_log->available = false;
        QVERIFY(!m_icon->isAvailable());
        m_icon->setActive(true);
        QCOMPARE(m_log->calls.size(), 1);
        QCOMPARE(m_log->calls[0].message, Message::Add);
        m_log->available = true;
        QVERIFY(m_icon->isAvailable());
    }

    void factoryReplacesTheSystemTray()
    {
        auto log = std::make_shared<Log>();
        const qctest::ScopedTrayShellFactory factory([log] { return std::make_unique<RecordingShell>(log); });
        {
            TTrayIcon icon;
            icon.setToolTip(QStringLiteral("Quorvel日历记事本"));
            icon.setActive(true);
        }
        QCOMPARE(log->calls.size(), 2);
        QCOMPARE(log->calls[0].toolTip, QStringLiteral("Quorvel日历记事本"));
        QCOMPARE(log->calls[1].message, Message::Delete);
    }

    // The headless platform has no notification area: the real shell must say so and cope. The
    // shell of Windows always has one.
    void systemTrayWithoutNotificationArea()
    {
        TTrayIcon icon(qc::createSystemTrayShell());
#ifdef Q_OS_WIN
        QVERIFY(icon.isAvailable());
#else
        QVERIFY(!icon.isAvailable());
#endif
        icon.setIcon(colouredIcon(Qt::green));
        icon.setToolTip(QStringLiteral("Quorvel日历记事本"));
        icon.setActive(true);
        icon.setActive(false);
        icon.setActive(true);
    }

private:
    std::shared_ptr<Log> m_log;
    std::unique_ptr<TTrayIcon> m_icon;
};

QTEST_MAIN(TestTrayIcon)
#include "tst_trayicon.moc"
