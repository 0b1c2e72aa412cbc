// The code-page-936 layer: byte counts, cutting at character boundaries, characters it cannot store.
#include "core/cp936.h"

#include <QCryptographicHash>
#include <QStringEncoder>
#include <QTest>

using namespace qc;

class TestCp936 : public QObject
{
    Q_OBJECT

private slots:
    void encode_data();
    void encode();
    void decode_data();
    void decode();
    void cut_data();
    void cut();
    void cutText_data();
    void cutText();
    void wholeCodePage();
};

void TestCp936::encode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("ok");

    QTest::newRow("ascii") << QStringLiteral("Date :") << QByteArray("Date :") << true;
    QTest::newRow("name") << QStringLiteral("张三") << QByteArray::fromHex("d5c5c8fd") << true;
    QTest::newRow("mixed") << QStringLiteral("a张") << QByteArray::fromHex("61d5c5") << true;
    QTest::newRow("euro single byte") << QStringLiteral("€") << QByteArray::fromHex("80") << true;
    QTest::newRow("cyrillic in code page") << QStringLiteral("Я") << QByteArray::fromHex("a7c1") << true;
    QTest::newRow("emoji") << QStringLiteral("a\U0001F600b") << QByteArray("a?b") << false;
    QTest::newRow("hangul") << QStringLiteral("한") << QByteArray("?") << false;
    QTest::newRow("arabic") << QStringLiteral("ب") << QByteArray("?") << false;
    QTest::newRow("lone high surrogate at end")
        << QStringLiteral("a") + QChar(0xD800) << QByteArray("a?") << false;
    QTest::newRow("lone high surrogate inside")
        << QChar(0xD800) + QStringLiteral("a") << QByteArray("?a") << false;
    // Invisible characters the code page lacks are left out rather than stored as "?".
    QTest::newRow("soft hyphen") << QStringLiteral("a\u00ADb") << QByteArray("ab") << false;
    QTest::newRow("joiner") << QStringLiteral("a\u200Db") << QByteArray("ab") << false;
    QTest::newRow("tag character") << QStringLiteral("a\U000E0001") << QByteArray("a") << false;
    QTest::newRow("private use single byte") << QStringLiteral("\uF8F5") << QByteArray("\xff") << true;
    QTest::newRow("empty") << QString() << QByteArray() << true;
}

void TestCp936::encode()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, ok);

    bool encoded = !ok;
    QCOMPARE(cp936::encode(text, &encoded), bytes);
    QCOMPARE(encoded, ok);
    QCOMPARE(cp936::canEncode(text), ok);
    QCOMPARE(cp936::byteLength(text), bytes.size());
    // A failure must not leak into the next conversion.
    QVERIFY(cp936::canEncode(u"张"));
    if (ok)
        QCOMPARE(cp936::decode(bytes), text);
}

void TestCp936::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("name") << QByteArray::fromHex("d5c5c8fd") << QStringLiteral("张三");
    QTest::newRow("dangling lead byte") << QByteArray::fromHex("41d5") << QStringLiteral("A\uFFFD");
    QTest::newRow("lead byte alone") << QByteArray::fromHex("d5") << QStringLiteral("\uFFFD");
    QTest::newRow("bad trail byte") << QByteArray::fromHex("d50a") << QStringLiteral("\uFFFD\n");
    QTest::newRow("lead byte before digit") << QByteArray::fromHex("8130") << QStringLiteral("\uFFFD0");
    QTest::newRow("lead byte before 7f") << QByteArray::fromHex("817f") << QStringLiteral("\uFFFD\x7f");
    QTest::newRow("lead byte before ff") << QByteArray::fromHex("81ff") << QStringLiteral("\uFFFD\uF8F5");
    QTest::newRow("ff alone") << QByteArray::fromHex("41ff42") << QStringLiteral("A\uF8F5B");
    QTest::newRow("user-defined area") << QByteArray::fromHex("aaa1") << QStringLiteral("\uE000");
    QTest::newRow("empty") << QByteArray() << QString();
}

void TestCp936::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(cp936::decode(bytes), text);
}

void TestCp936::cut_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("maxBytes");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray name = QByteArray::fromHex("d5c5c8fd");
    QTest::newRow("whole") << name << 4 << name;
    QTest::newRow("more room") << name << 100 << name;
    QTest::newRow("inside second") << name << 3 << QByteArray::fromHex("d5c5");
    QTest::newRow("inside first") << name << 1 << QByteArray();
    QTest::newRow("zero") << name << 0 << QByteArray();
    QTest::newRow("negative") << name << -1 << QByteArray();
    QTest::newRow("ascii") << QByteArray("abcdef") << 3 << QByteArray("abc");
    // "a张b": the lead byte sits at an odd offset, so pairing must be walked from the start.
    QTest::newRow("odd offset") << QByteArray::fromHex("61d5c562") << 2 << QByteArray("a");
    QTest::newRow("odd offset whole char")
        << QByteArray::fromHex("61d5c562") << 3 << QByteArray::fromHex("61d5c5");
    // A trail byte may itself look like a lead byte (c8 d5, then d5 c5).
    QTest::newRow("trail like lead") << QByteArray::fromHex("c8d5d5c5") << 3 << QByteArray::fromHex("c8d5");
    QTest::newRow("dangling at end") << QByteArray::fromHex("61d5") << 10 << QByteArray("a");
    QTest::newRow("euro is one byte") << QByteArray::fromHex("80d5c5") << 2 << QByteArray::fromHex("80");
}

void TestCp936::cut()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, maxBytes);
    QFETCH(QByteArray, expected);
    QCOMPARE(cp936::cut(bytes, maxBytes), expected);
}

void TestCp936::cutText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("maxBytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("fits") << QStringLiteral("张三") << 4 << QStringLiteral("张三");
    QTest::newRow("inside a character") << QStringLiteral("张三") << 3 << QStringLiteral("张");
    QTest::newRow("after ascii") << QStringLiteral("a张三") << 4 << QStringLiteral("a张");
    QTest::newRow("nothing") << QStringLiteral("张") << 1 << QString();
    QTest::newRow("zero") << QStringLiteral("abc") << 0 << QString();
    // Characters outside the code page are kept (one "?" byte each), never turned into "?".
    QTest::newRow("emoji kept") << QStringLiteral("a\U0001F600b") << 3 << QStringLiteral("a\U0001F600b");
    QTest::newRow("emoji not split") << QStringLiteral("a\U0001F600b") << 2 << QStringLiteral("a\U0001F600");
    QTest::newRow("hangul kept") << QStringLiteral("한张") << 2 << QStringLiteral("한");
    QTest::newRow("lone low surrogate")
        << QString(QChar(0xDC00)) + QStringLiteral("ab") << 2 << QString(QChar(0xDC00)) + QStringLiteral("a");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + QStringLiteral("ab") << 2
                                    << QString(QChar(0xD800)) + QStringLiteral("a");
}

void TestCp936::cutText()
{
    QFETCH(QString, text);
    QFETCH(int, maxBytes);
    QFETCH(QString, expected);

    const QString result = cp936::cutText(text, maxBytes);
    QCOMPARE(result, expected);
    QVERIFY(cp936::byteLength(result) <= std::max(maxBytes, 0));
    QCOMPARE(cp936::cutText(text, cp936::byteLength(text)), text);
    if (cp936::canEncode(text))
        QCOMPARE(result, cp936::decode(cp936::cut(cp936::encode(text), maxBytes)));
}

// Every single byte, every lead byte with every second byte and every character of the basic
// plane (and the planes above at their edges), converted one by one: the digest is that of the
// Linux build's converter, so a Windows build (the system's tables) must give the same bytes and
// texts, damaged and foreign ones included.
void TestCp936::wholeCodePage()
{
#ifdef Q_OS_WIN
    // This build converts through the system; a Qt with a converter of its own would hide it.
    QVERIFY(!QStringEncoder("windows-936").isValid());
#endif
    QCryptographicHash digest(QCryptographicHash::Sha256);
    const auto addText = [&digest](const QString &text) {
        digest.addData(QByteArrayView(reinterpret_cast<const char *>(text.utf16()), text.size() * 2));
        digest.addData("|");
    };
    for (int first = 0; first < 256; ++first) {
        addText(cp936::decode(QByteArray(1, char(first))));
        if (first < 0x81 || first == 0xFF)
            continue;
        for (int second = 0; second < 256; ++second)
            addText(cp936::decode(QByteArray { char(first), char(second) }));
    }
    const auto addBytes = [&digest](const QString &text) {
        bool ok = false;
        digest.addData(cp936::encode(text, &ok));
        digest.addData(ok ? "|" : "?|");
    };
    for (char32_t c = 0; c < 0x10000; ++c)
        addBytes(QString(QChar(char16_t(c))));
    for (const char32_t c : { 0x10000u, 0x1BCA0u, 0x1BCA4u, 0x1D173u, 0x1D17Bu, 0x1F600u, 0x20000u, 0xE0000u,
             0xE0FFFu, 0xE1000u, 0x10FFFFu })
        addBytes(QString::fromUcs4(&c, 1));
    QCOMPARE(digest.result().toHex(),
        QByteArray("8e9a6c2579b8a214fb0116ad95e1af7a9bb49919fc562b58607b5d405e272685"));
}

QTEST_GUILESS_MAIN(TestCp936)
#include "tst_cp936.moc"
