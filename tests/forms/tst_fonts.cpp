// The faces the design fonts are drawn in, character by character, as the README's font table has
// them: the first stand-in face for what it holds, and for "MS Sans Serif" the Song face for the
// Chinese characters its narrow sans face lacks. The application font while the windows are built.
#include "fonts.h"
#include "fontwarmup.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QTest>
#include <QTextLayout>

namespace {

// The family of the face that draws each run of the text, in order.
QStringList drawnIn(const QFont &font, const QString &text)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QStringList families;
    for (const QGlyphRun &run : layout.glyphRuns())
        families << run.rawFont().familyName().toLower(); // fontconfig answers in lower case
    return families;
}

} // namespace

class TestFonts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        qc::installFontSubstitutions();
        for (const char *face : { "AR PL UMing CN", "AR PL UKai CN", "Liberation Sans Narrow" }) {
            if (!qc::familyInstalled(QString::fromLatin1(face)))
                QSKIP("the faces of the font table are not installed");
        }
    }

    void facesOfTheTable_data()
    {
        QTest::addColumn<QString>("design");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("faces");
        const QString song = QStringLiteral("AR PL UMing CN");
        const QString brush = QStringLiteral("AR PL UKai CN");
        QTest::newRow("宋体") << QStringLiteral("宋体") << QStringLiteral("28 周一") << QStringList { song };
        QTest::newRow("隶书") << QStringLiteral("隶书") << QStringLiteral("Quorvel日历")
                              << QStringList { brush };
        QTest::newRow("楷体_GB2312") << QStringLiteral("楷体_GB2312") << QStringLiteral("Quorvel日历")
                                     << QStringList { brush };
        QTest::newRow("MS Sans Serif, Latin")
            << QStringLiteral("MS Sans Serif") << QStringLiteral("999 Bytes")
            << QStringList { QStringLiteral("Liberation Sans Narrow") };
        // Which face a Latin run beside Chinese takes depends on the locale's script order; the
        // Chinese characters themselves always fall back to the Song face.
        QTest::newRow("MS Sans Serif, Chinese")
            << QStringLiteral("MS Sans Serif") << QStringLiteral("日历") << QStringList { song };
    }
    void facesOfTheTable()
    {
        QFETCH(QString, design);
        QFETCH(QString, text);
        QFETCH(QStringList, faces);
        QStringList drawn = drawnIn(qc::designFont(design, 16), text);
        drawn.removeDuplicates();
        for (QString &face : faces)
            face = face.toLower();
        QCOMPARE(drawn, faces);
    }

    // A font that draws ASCII alone (the main window's status bar) names its first face alone, and
    // draws such text as the full font does.
    void asciiAloneInTheFirstFace()
    {
        const QString text = QStringLiteral("Date :2026-12-28 1048576 Bytes");
        const QFont full = qc::designFont(QStringLiteral("MS Sans Serif"), 11);
        const QFont ascii = qc::designFont(QStringLiteral("MS Sans Serif"), 11, qc::FontText::Ascii);
        QCOMPARE(ascii.families().join(u',').toLower(), QStringLiteral("liberation sans narrow"));
        QCOMPARE(drawnIn(ascii, text), drawnIn(full, text));
        QCOMPARE(QFontMetricsF(ascii).horizontalAdvance(text), QFontMetricsF(full).horizontalAdvance(text));
        QCOMPARE(QFontMetricsF(ascii).height(), QFontMetricsF(full).height());
    }

    void applicationFontForTheBuildOnly()
    {
        const QFont desktop = QApplication::font();
        {
            qc::ApplicationFontScope scope(qc::designFont(QStringLiteral("MS Sans Serif"), 11));
            QCOMPARE(QApplication::font().pixelSize(), 11);
            scope.restore();
            QCOMPARE(QApplication::font(), desktop);
            QApplication::setFont(qc::designFont(QStringLiteral("宋体"), 16));
        } // restored once only: what was set after it stays
        QCOMPARE(QApplication::font().pixelSize(), 16);
        QApplication::setFont(desktop);
        {
            qc::ApplicationFontScope scope(qc::designFont(QStringLiteral("MS Sans Serif"), 11));
        }
        QCOMPARE(QApplication::font(), desktop);
    }

    // The read-ahead may be waited for more than once, or not at all: its end waits for it.
    void fontSystemWarmUp()
    {
        {
            qc::FontSystemWarmUp unwaited;
        }
        qc::FontSystemWarmUp warmUp;
        warmUp.wait();
        warmUp.wait();
        QVERIFY(qc::familyInstalled(QStringLiteral("AR PL UMing CN")));
    }
};

QTEST_MAIN(TestFonts)
#include "tst_fonts.moc"
