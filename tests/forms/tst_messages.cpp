// The message windows: the error text, the "&" prefixes, the information window's keys and
// placement, and the question box that only Yes or No can answer.
#include "forms/messages.h"
#include "forms/startup.h"
#include "testsupport.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <QTranslator>

#include <memory>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

struct Shown
{
    qc::MessageKind kind;
    QString caption;
    QString text;
};

} // namespace

class TestMessages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_shown.clear(); }

    void guardShowsErrorText_data()
    {
        QTest::addColumn<int>("thrown");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("convert error") << 0 << "Invalid argument to date encode"
                                       << "Invalid argument to date encode.";
        QTest::newRow("io error ends with dot") << 1 << ""
                                                << "File access denied.";
        QTest::newRow("std exception") << 2 << "boom"
                                       << "boom.";
        QTest::newRow("trailing dot kept") << 0 << "'x' is not a valid integer value."
                                           << "'x' is not a valid integer value.";
        QTest::newRow("trailing blank kept") << 0 << "ends in a blank "
                                             << "ends in a blank ";
        QTest::newRow("chinese") << 0 << "日历"
                                 << "日历.";
    }
    void guardShowsErrorText()
    {
        QFETCH(int, thrown);
        QFETCH(QString, message);
        QFETCH(QString, shown);
        bool after = false;
        qc::guarded([&] {
            if (thrown == 0)
                throw qc::EConvertError(message);
            if (thrown == 1)
                throw qc::EInOutError(qc::IoError::AccessDenied);
            throw std::runtime_error(message.toStdString());
            after = true;
        });
        QVERIFY(!after);
        QCOMPARE(m_shown.size(), 1);
        QCOMPARE(m_shown[0].kind, qc::MessageKind::Error);
        QCOMPARE(m_shown[0].caption, QStringLiteral("Quorvel日历记事本 V1.0"));
        QCOMPARE(m_shown[0].text, shown);
    }

    void deferredGuardReportsAfterTheEvent()
    {
        qc::guardedDeferred([] { throw qc::EInOutError(qc::IoError::DiskFull); });
        QVERIFY(m_shown.isEmpty()); // nothing opens while, say, a painter is active
        QTRY_COMPARE(m_shown.size(), 1);
        QCOMPARE(m_shown[0].text, QStringLiteral("Disk full."));
    }

    void questionGoesThroughHook_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void questionGoesThroughHook()
    {
        QFETCH(bool, answer);
        m_answer = answer;
        QCOMPARE(qc::askYesNo(QStringLiteral("caption"), QStringLiteral("text?")), answer);
        QCOMPARE(m_shown.size(), 1);
        QCOMPARE(m_shown[0].kind, qc::MessageKind::Question);
        QCOMPARE(m_shown[0].caption, QStringLiteral("caption"));
    }

    void mnemonics_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<qsizetype>>("underlined");
        QTest::newRow("plain") << "no prefix"
                               << "no prefix" << QList<qsizetype> {};
        QTest::newRow("one") << "a&bc"
                             << "abc" << QList<qsizetype> { 1 };
        QTest::newRow("double") << "Tom && Jerry"
                                << "Tom & Jerry" << QList<qsizetype> {};
        QTest::newRow("double then prefix") << "&&&x"
                                            << "&x" << QList<qsizetype> { 1 };
        QTest::newRow("lone at end") << "end&"
                                     << "end" << QList<qsizetype> {};
        QTest::newRow("chinese") << "生&日"
                                 << "生日" << QList<qsizetype> { 1 };
        QTest::newRow("markup stays text") << "<b>&x</b>"
                                           << "<b>x</b>" << QList<qsizetype> { 3 };
    }
    void mnemonics()
    {
        QFETCH(QString, input);
        QFETCH(QString, text);
        QFETCH(QList<qsizetype>, underlined);
        const qc::MnemonicText resolved = qc::resolveMnemonics(input);
        QCOMPARE(resolved.text, text);
        QCOMPARE(resolved.underlined, underlined);
    }

    void informationWindowKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("enter") << int(Qt::Key_Return);
        QTest::newRow("esc") << int(Qt::Key_Escape);
    }
    void informationWindowKeys()
    {
        QFETCH(int, key);
        std::unique_ptr<QDialog> window(
            qc::createInformationWindow(QStringLiteral("Birthday of <b>&Ann</b>")));
        QCOMPARE(window->windowTitle(), QStringLiteral("Quorvel日历记事本 V1.0"));
        const QList<QPushButton *> buttons = window->findChildren<QPushButton *>();
        QCOMPARE(buttons.size(), 1);
        QCOMPARE(buttons[0]->text(), QStringLiteral("OK"));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTest::keyClick(window.get(), Qt::Key(key));
        QVERIFY(!window->isVisible());
    }

    void informationWindowWrapsAndCentres()
    {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const QString longText = QStringLiteral("word ").repeated(300);
        std::unique_ptr<QDialog> wide(qc::createInformationWindow(longText));
        const QWidget *text = wide->findChild<QWidget *>(QStringLiteral("text"));
        QVERIFY(text);
        QVERIFY(text->width() <= screen.width() / 2);
        QVERIFY(text->width() > screen.width() / 2 - 60);
        QVERIFY(text->height() > 3 * text->fontMetrics().height());
        QVERIFY((wide->geometry().center() - screen.center()).manhattanLength() <= 2);

        std::unique_ptr<QDialog> narrow(qc::createInformationWindow(QStringLiteral("short")));
        const QWidget *shortText = narrow->findChild<QWidget *>(QStringLiteral("text"));
        QVERIFY(shortText->width() < screen.width() / 4);
        QVERIFY(shortText->height() < 2 * shortText->fontMetrics().height());
    }

    void boxesShowTheirCaptionWhole()
    {
        const QString title = qc::applicationTitle();
        QFont font = QApplication::font("QTitleBar");
        font.setBold(true);
        const int bar = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
        // The caption, an icon and one caption button at the least.
        const int needed = QFontMetrics(font).horizontalAdvance(title) + 2 * bar;
        const std::unique_ptr<QWidget> boxes[] { std::unique_ptr<QWidget>(
                                                     qc::createInformationWindow(u"E"_s)),
            std::unique_ptr<QWidget>(qc::createErrorBox(u"E"_s)),
            std::unique_ptr<QWidget>(qc::createQuestionBox(title, u"E"_s)) };
        for (const auto &box : boxes) {
            box->show();
            QVERIFY(QTest::qWaitForWindowExposed(box.get()));
            QCOMPARE(box->windowTitle(), title);
            QVERIFY2(box->width() >= needed, qPrintable(QString::number(box->width())));
        }
    }

    // Qt's own texts come from translations/ in the program's folder (the Windows ZIP has no
    // other) in the desktop's language.
    void questionButtonsInTheDesktopLanguage()
    {
        qctest::ProgramDir dir;
        QVERIFY(QDir(dir.path()).mkdir(u"translations"_s));
        QVERIFY(QFile::copy(QStringLiteral(QC_QT_TRANSLATIONS_DIR "/qtbase_zh_CN.qm"),
            dir.filePath(u"translations/qtbase_zh_CN.qm"_s)));
        QTranslator *translator = qc::installQtTranslation(*qApp, QLocale(QLocale::Chinese, QLocale::China));
        QVERIFY(translator);
        const std::unique_ptr<QMessageBox> box(qc::createQuestionBox(u"c"_s, u"t"_s));
        const QStringList texts { box->button(QMessageBox::Yes)->text(),
            box->button(QMessageBox::No)->text() };
        QCoreApplication::removeTranslator(translator);
        delete translator;
        QCOMPARE(texts, (QStringList { u"是(&Y)"_s, u"否(&N)"_s }));
    }

    void questionBoxOnlyYesOrNo_data()
    {
        QTest::addColumn<bool>("pressYes");
        QTest::newRow("enter is yes") << true;
        QTest::newRow("no button") << false;
    }
    void questionBoxOnlyYesOrNo()
    {
        QFETCH(bool, pressYes);
        std::unique_ptr<QMessageBox> box(qc::createQuestionBox(QStringLiteral("c"), QStringLiteral("t")));
        QCOMPARE(box->icon(), QMessageBox::NoIcon);
        QCOMPARE(box->buttons().size(), 2);
        QCOMPARE(box->defaultButton(), box->button(QMessageBox::Yes));
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        QTest::keyClick(box.get(), Qt::Key_Escape);
        QVERIFY(box->isVisible());
        QVERIFY(!box->close());
        QVERIFY(box->isVisible());
        if (pressYes)
            QTest::keyClick(box.get(), Qt::Key_Return);
        else
            box->button(QMessageBox::No)->click();
        QVERIFY(!box->isVisible());
        QCOMPARE(box->result(), pressYes ? QMessageBox::Yes : QMessageBox::No);
    }

private:
    QList<Shown> m_shown;
    bool m_answer = false;
    qctest::ScopedMessageHook m_hook { [this](qc::MessageKind kind, const QString &caption,
                                           const QString &text) {
        m_shown.append({ kind, caption, text });
        return m_answer;
    } };
};

QTEST_MAIN(TestMessages)
#include "tst_messages.moc"
