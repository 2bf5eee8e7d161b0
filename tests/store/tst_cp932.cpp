#include "store/cp932.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestCp932 : public QObject {
    Q_OBJECT

private slots:
    void decodesAndRoundTrips_data();
    void decodesAndRoundTrips();
    void everyCharacterReEncodesToItsPreferredCode();
    void storesWebPunctuationAsWindowsDoes_data();
    void storesWebPunctuationAsWindowsDoes();
    void refusesCharactersWithoutForm_data();
    void refusesCharactersWithoutForm();
    void keepsBytesThatAreNotCp932();
    void keptByteStaysApartFromTheNextCharacter_data();
    void keptByteStaysApartFromTheNextCharacter();
    void everyInputUpToThreeBytesReadsBackAsDecoded();
};

void TestCp932::decodesAndRoundTrips_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("ascii backslash is 0x5C") << QByteArray("C:\\a~") << u"C:\\a~"_s;
    QTest::newRow("kana and kanji") << QByteArray("\x82\xa0\x88\x9f") << u"あ亜"_s;
    QTest::newRow("half-width katakana") << QByteArray("\xb1\xdf") << u"ｱﾟ"_s;
    QTest::newRow("0x8160 reads as fullwidth tilde") << QByteArray("\x81\x60") << u"～"_s;
    QTest::newRow("NEC row 13: circled one") << QByteArray("\x87\x40") << u"①"_s;
    QTest::newRow("NEC row 13: kabushiki") << QByteArray("\x87\x8a") << u"㈱"_s;
    QTest::newRow("NEC row 13: roman three") << QByteArray("\x87\x56") << u"Ⅲ"_s;
    QTest::newRow("IBM extension: taka") << QByteArray("\xfb\xfc") << u"髙"_s;
    QTest::newRow("IBM extension: small roman") << QByteArray("\xfa\x40") << u"ⅰ"_s;
    QTest::newRow("user-defined area") << QByteArray("\xf0\x40\xf9\xfc") << u"\uE000\uE757"_s;
    QTest::newRow("single bytes Windows maps") << QByteArray("\x80\xa0\xfd") << u"\u0080\uF8F0\uF8F1"_s;
    QTest::newRow("line ends") << QByteArray("a\r\nb") << u"a\r\nb"_s;
}

void TestCp932::decodesAndRoundTrips()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    qsizetype bad = 0;
    QCOMPARE(cp932::decode(bytes, &bad), text);
    QCOMPARE(bad, -1);
    QByteArray out;
    QVERIFY(cp932::encode(text, &out));
    QCOMPARE(out, bytes);
}

// Every double-byte character decodes and encodes back; where CP932 has several codes
// for one character, the one Windows writes is used.
void TestCp932::everyCharacterReEncodesToItsPreferredCode()
{
    int characters = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead >= 0xA0 && lead < 0xE0)
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            qsizetype bad = 0;
            const QString text = cp932::decode(QByteArrayView(pair, 2), &bad);
            if (bad >= 0)
                continue;
            ++characters;
            QCOMPARE(text.size(), 1);
            QByteArray out;
            QVERIFY2(cp932::encode(text, &out), qPrintable(QString::number(lead * 256 + trail, 16)));
            QCOMPARE(cp932::decode(out), text);
            const int code = static_cast<unsigned char>(out[0]) * 256 + static_cast<unsigned char>(out[1]);
            if (code != lead * 256 + trail) {
                // Of several codes for one character Windows writes the lowest, but
                // never one of the NEC-selected rows 0xED/0xEE.
                const bool fromNecSelected = lead == 0xED || lead == 0xEE;
                const bool toNecSelected = (code >> 8) == 0xED || (code >> 8) == 0xEE;
                QVERIFY2(!toNecSelected && (fromNecSelected || code < lead * 256 + trail),
                         qPrintable(QString::number(lead * 256 + trail, 16) + u" -> "_s + QString::number(code, 16)));
            }
        }
    }
    // JIS X 0208 with the NEC and IBM rows (7,724) and the user-defined area (1,880).
    QCOMPARE(characters, 7724 + 1880);
    QByteArray out;
    QVERIFY(cp932::encode(u"纊≒¬"_s, &out));
    QCOMPARE(out, QByteArray("\xfa\x5c\x81\xe0\x81\xca"));
}

void TestCp932::storesWebPunctuationAsWindowsDoes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("wave dash") << u"\u301C"_s << QByteArray("\x81\x60");
    QTest::newRow("minus sign") << u"\u2212"_s << QByteArray("\x81\x7c");
    QTest::newRow("double vertical line") << u"\u2016"_s << QByteArray("\x81\x61");
    QTest::newRow("em dash") << u"\u2014"_s << QByteArray("\x81\x5c");
    QTest::newRow("cent") << u"\u00A2"_s << QByteArray("\x81\x91");
    QTest::newRow("pound") << u"\u00A3"_s << QByteArray("\x81\x92");
    QTest::newRow("not sign") << u"\u00AC"_s << QByteArray("\x81\xca");
    QTest::newRow("yen sign stays a yen sign") << u"\u00A5"_s << QByteArray("\x81\x8f");
    QTest::newRow("overline") << u"\u203E"_s << QByteArray("\x81\x50");
}

void TestCp932::storesWebPunctuationAsWindowsDoes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QByteArray out;
    QVERIFY(cp932::encode(text, &out));
    QCOMPARE(out, bytes);
}

void TestCp932::refusesCharactersWithoutForm_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("bad");
    QTest::newRow("emoji is reported whole") << u"歌\U0001F3B5詞"_s << u"\U0001F3B5"_s;
    QTest::newRow("accented latin") << u"Café"_s << u"é"_s;
    QTest::newRow("simplified hanzi") << u"歌词"_s << u"词"_s;
    QTest::newRow("hangul") << u"노래"_s << u"노"_s;
    QTest::newRow("replacement character") << u"a\uFFFD"_s << u"\uFFFD"_s;
}

void TestCp932::refusesCharactersWithoutForm()
{
    QFETCH(QString, text);
    QFETCH(QString, bad);
    QByteArray out;
    QString found;
    QVERIFY(!cp932::encode(text, &out, &found));
    QCOMPARE(found, bad);
    QCOMPARE(cp932::firstUnstorable(text), bad);
    QVERIFY(cp932::firstUnstorable(u"普通の文字①"_s).isEmpty());
}

void TestCp932::keepsBytesThatAreNotCp932()
{
    // 0x85 0x40 is an unassigned pair, 0x82 before a quote has no trail byte.
    const QByteArray damaged("ok\x85\x40x\x82\"");
    qsizetype bad = -1;
    const QString text = cp932::decode(damaged, &bad);
    QCOMPARE(bad, 2);
    QVERIFY(text.startsWith(u"ok"_s));
    QVERIFY(text.endsWith(u'"'));
    QByteArray out;
    QVERIFY(cp932::encode(text, &out));
    QCOMPARE(out, damaged);
}

// A character right after a kept byte, whose preferred code would join that byte into
// another character, is written in the code Windows prefers among those that stay apart
// (its code in the file always does).
void TestCp932::keptByteStaysApartFromTheNextCharacter_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("written");
    // 81 87 would read as ∞ and leave T behind.
    QTest::newRow("stray 0x81 before IBM roman one")
        << QByteArray("\x81\xfa\x4a") << u"\xDC81Ⅰ"_s << QByteArray("\x81\xfa\x4a");
    QTest::newRow("stray 0xEE before NEC-selected kanji")
        << QByteArray("\xee\xed\x40") << u"\xDCEE纊"_s << QByteArray("\xee\xed\x40");
    QTest::newRow("stray 0x81 before NEC-selected not sign")
        << QByteArray("\x81\xee\xf9") << u"\xDC81￢"_s << QByteArray("\x81\xfa\x54");
}

void TestCp932::keptByteStaysApartFromTheNextCharacter()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(QByteArray, written);
    QCOMPARE(cp932::decode(bytes), text);
    QByteArray out;
    QVERIFY(cp932::encode(text, &out));
    QCOMPARE(out, written);
    QCOMPARE(cp932::decode(out), text);
}

// Whatever a file holds, writing back what was read reads back the same text: every
// character, and every kept byte where it was. Whether a byte is kept depends only on the
// byte after it, so the inputs of up to three bytes meet every case a longer file can.
void TestCp932::everyInputUpToThreeBytesReadsBackAsDecoded()
{
    QStringList failures;
    qint64 failed = 0;
    char input[3];
    QByteArray out;
    for (int length = 1; length <= 3; ++length) {
        const qint64 count = qint64(1) << (8 * length);
        for (qint64 value = 0; value < count; ++value) {
            for (int k = 0; k < length; ++k)
                input[k] = static_cast<char>(value >> (8 * k));
            const QByteArrayView bytes(input, length);
            const QString text = cp932::decode(bytes);
            if (cp932::encode(text, &out) && cp932::decode(out) == text)
                continue;
            if (++failed <= 5)
                failures << QString::fromLatin1(bytes.toByteArray().toHex(' ')) + u" -> "_s
                        + QString::fromLatin1(out.toHex(' '));
        }
    }
    QVERIFY2(failed == 0, qPrintable(QString::number(failed) + u" inputs, e.g. "_s + failures.join(u", "_s)));
}

QTEST_APPLESS_MAIN(TestCp932)
#include "tst_cp932.moc"
