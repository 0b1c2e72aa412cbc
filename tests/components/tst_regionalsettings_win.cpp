// The clock's formats are the user's regional settings and follow a change of them while the
// program runs: Windows announces it with WM_SETTINGCHANGE ("intl") to every top-level window.
#include "core/clock.h"
#include "forms/mainunit.h"
#include "testsupport.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

#include <qt_windows.h>

namespace {

QString localeInfo(LCTYPE type)
{
    wchar_t buffer[128] = {};
    const int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 128);
    return QString::fromWCharArray(buffer, std::max(length - 1, 0));
}

bool setLocaleInfo(LCTYPE type, const QString &value)
{
    return SetLocaleInfoW(LOCALE_USER_DEFAULT, type, reinterpret_cast<const wchar_t *>(value.utf16()));
}

} // namespace

class TestRegionalSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_shortDate = localeInfo(LOCALE_SSHORTDATE);
        m_timeFormat = localeInfo(LOCALE_STIMEFORMAT);
        QVERIFY(!m_shortDate.isEmpty() && !m_timeFormat.isEmpty());
    }
    void cleanupTestCase()
    {
        setLocaleInfo(LOCALE_SSHORTDATE, m_shortDate);
        setLocaleInfo(LOCALE_STIMEFORMAT, m_timeFormat);
    }

    void clockFollowsTheSettings()
    {
        qctest::ProgramDir dir;
        qctest::fixClock(QDateTime(QDate(2001, 2, 15), QTime(9, 8, 7)));
        QVERIFY(setLocaleInfo(LOCALE_SSHORTDATE, QStringLiteral("yyyy/M/d")));
        QVERIFY(setLocaleInfo(LOCALE_STIMEFORMAT, QStringLiteral("HH:mm:ss")));
        Tmainform form;
        const auto *date = form.findChild<QLabel *>(QStringLiteral("Edit1"));
        const auto *time = form.findChild<QLabel *>(QStringLiteral("Edit2"));
        QVERIFY(date && time);
        form.show();
        QTRY_COMPARE(date->text(), QStringLiteral("2001/2/15"));
        QCOMPARE(time->text(), QStringLiteral("09:08:07"));

        // Changed meanwhile but not yet announced: the clock keeps the formats it read.
        QVERIFY(setLocaleInfo(LOCALE_SSHORTDATE, QStringLiteral("dd.MM.yyyy")));
        QVERIFY(setLocaleInfo(LOCALE_STIMEFORMAT, QStringLiteral("H.mm.ss")));
        QTest::qWait(1500);
        QCOMPARE(date->text(), QStringLiteral("2001/2/15"));

        // Announced as the regional settings' panel does it: at once, without waiting for a tick.
        SendMessageW(
            reinterpret_cast<HWND>(form.winId()), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"intl"));
        QCOMPARE(date->text(), QStringLiteral("15.02.2001"));
        QCOMPARE(time->text(), QStringLiteral("9.08.07"));
    }

private:
    QString m_shortDate;
    QString m_timeFormat;
};

QTEST_MAIN(TestRegionalSettings)
#include "tst_regionalsettings_win.moc"
