// The about dialog: the details memo, the mail and web links, the picture's menu and closing.
#include "UABOUT.h"
#include "fonts.h"
#include "messages.h"
#include "testsupport.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

class TestAbout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qc::installFontSubstitutions(); }

    void init()
    {
        m_messages.clear();
        m_form = std::make_unique<TAboutForm>();
        m_form->setUrlOpener([this](const QUrl &url) {
            m_opened << url;
            return false; // as if no mail program or browser were there
        });
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }
    void cleanup()
    {
        m_form.reset();
        m_opened.clear();
    }

    void memoTogglesOverTheContactLabels()
    {
        auto *memo = child<QPlainTextEdit>("Memo1");
        QVERIFY(!memo->isVisible());
        QTest::mouseClick(child<QLabel>("Label2"), Qt::LeftButton);
        QVERIFY(memo->isVisible());
        QVERIFY2(
            memo->geometry().contains(child<QLabel>("Label4")->geometry()), "the memo covers the labels");
        QTest::mouseClick(memo->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QVERIFY(!memo->isVisible());
        QTest::mouseClick(child<QLabel>("Label2"), Qt::RightButton);
        QVERIFY(!memo->isVisible());
        QVERIFY(m_messages.isEmpty());
    }

    void linksGoToTheOpener_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QUrl>("url");
        QTest::newRow("mail") << QStringLiteral("Label4") << QStringLiteral("qc@quorvel.example")
                              << QUrl(QStringLiteral("mailto:qc@quorvel.example"));
        QTest::newRow("web") << QStringLiteral("Label5") << QStringLiteral("https://quorvel.example/")
                             << QUrl(QStringLiteral("https://quorvel.example/"));
    }
    void linksGoToTheOpener()
    {
        QFETCH(QString, label);
        QFETCH(QString, shown);
        QFETCH(QUrl, url);
        auto *link = m_form->findChild<QLabel *>(label);
        QVERIFY(link);
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY2(link->text().endsWith(shown), qPrintable(link->text()));
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(m_opened, QList<QUrl> { url });
        QVERIFY2(m_messages.isEmpty(), "a failed open is not reported");
        QVERIFY(m_form->isVisible());
    }

    void releaseAwayFromALinkIsNoClick()
    {
        auto *link = child<QLabel>("Label5");
        QTest::mousePress(link, Qt::LeftButton);
        QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(link->width() + 5, 2));
        QVERIFY(m_opened.isEmpty());
    }

    void contactLabelsFitTheirPanel()
    {
        const QWidget *panel = child<QWidget>("Panel1");
        const QList<QLabel *> labels = panel->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
        QCOMPARE(labels.size(), 5);
        for (const QLabel *label : labels)
            QVERIFY2(label->geometry().right() < panel->width() - 2,
                qPrintable(
                    label->objectName() + QStringLiteral(" ends at %1").arg(label->geometry().right())));
    }

    void pictureMenuShowsItsMessages_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("message");
        QTest::newRow("N3") << QStringLiteral("N3") << QStringLiteral("Quorvel软件程序员")
                            << QStringLiteral("Quorvel工作室  示例省样板市");
        QTest::newRow("N5") << QStringLiteral("N5") << QStringLiteral("Quorvel软件网址")
                            << QStringLiteral("https://quorvel.example/");
        QTest::newRow("N6") << QStringLiteral("N6") << QStringLiteral("Quorvel软件电子邮件")
                            << QStringLiteral("E-mail:qc@quorvel.example");
        QTest::newRow("N7") << QStringLiteral("N7") << QStringLiteral("本软件特别感谢")
                            << QStringLiteral("感谢所有试用本软件并提出宝贵意见的朋友！");
    }
    void pictureMenuShowsItsMessages()
    {
        QFETCH(QString, entry);
        QFETCH(QString, caption);
        QFETCH(QString, message);
        auto *image = child<QLabel>("Image1");
        QContextMenuEvent rightClick(
            QContextMenuEvent::Mouse, QPoint(10, 10), image->mapToGlobal(QPoint(10, 10)));
        QApplication::sendEvent(image, &rightClick);
        QMenu *menu = m_form->popupMenu();
        QTRY_VERIFY(menu->isVisible());
        auto *action = menu->findChild<QAction *>(entry);
        QVERIFY(action);
        QCOMPARE(action->text(), caption);
        action->trigger();
        menu->hide();
        QCOMPARE(m_messages, QStringList { QStringLiteral("info: ") + message });
    }

    void backClosesAndComesBackInPlace()
    {
        QTest::mouseClick(child<QPushButton>("BitBtn3"), Qt::LeftButton);
        QVERIFY(!m_form->isVisible());
        m_form->move(m_form->pos() + QPoint(7, 9));
        const QPoint left = m_form->pos();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        QCOMPARE(m_form->pos(), left);
        QCOMPARE(m_form->size(), QSize(345, 257));
        QCOMPARE(m_form->windowTitle(), QStringLiteral("关于"));
    }

    void answersBeforeItsFirstShow()
    {
        // Start-up creates the dialog hidden and builds its controls only when they are needed.
        TAboutForm fresh;
        QCOMPARE(fresh.windowTitle(), QStringLiteral("关于"));
        QCOMPARE(fresh.size(), QSize(345, 257));
        fresh.Label2Click();
        auto *memo = fresh.findChild<QPlainTextEdit *>(QStringLiteral("Memo1"));
        QVERIFY(memo);
        QVERIFY(!memo->isHidden());
        fresh.Memo1Click();
        QVERIFY(memo->isHidden());
        QVERIFY(fresh.popupMenu()->findChild<QAction *>(QStringLiteral("N7")));
        fresh.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fresh));
        QCOMPARE(fresh.findChildren<QPlainTextEdit *>().size(), 1); // built once only
    }

private:
    template<typename T> T *child(const char *name)
    {
        T *found = m_form->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no %s", name);
        return found;
    }

    std::unique_ptr<TAboutForm> m_form;
    QList<QUrl> m_opened;
    QStringList m_messages;
    qctest::ScopedMessageHook m_hook { [this](qc::MessageKind kind, const QString &, const QString &text) {
        m_messages << (kind == qc::MessageKind::Information ? QStringLiteral("info: ")
                                                            : QStringLiteral("other: "))
                + text;
        return false;
    } };
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
