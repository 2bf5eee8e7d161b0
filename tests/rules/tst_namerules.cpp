#include "store/namerules.h"

#include <QTest>

#include <optional>

using namespace Qt::Literals::StringLiterals;
using namerules::NameRefusal;

namespace {

// Where the name in a row goes.
enum Use { TitleName, TrackList, CompilationList, LyricsName };
// The reason a row expects; None when the name passes.
constexpr int None = -1;
constexpr int Forbidden = int(NameRefusal::Reason::ForbiddenCharacter);
constexpr int Control = int(NameRefusal::Reason::ControlCharacter);
constexpr int Unstorable = int(NameRefusal::Reason::Unstorable);
constexpr int TooLong = int(NameRefusal::Reason::TooLong);
constexpr int NotOnWindows = int(NameRefusal::Reason::NotOnWindows);

std::optional<NameRefusal> refusalOf(int use, const QString& text, const QString& artist)
{
    switch (use) {
    case TitleName:
        return namerules::titleNameRefusal(text);
    case TrackList:
        return namerules::trackListRefusal(text, false);
    case CompilationList:
        return namerules::trackListRefusal(text, true);
    default:
        return namerules::lyricsNameRefusal(text, artist);
    }
}

} // namespace

// What the names that become file names may hold: a title's name, a track list (whose
// lines become song names) and the song and artist of a lyrics file.
class TestNameRules : public QObject {
    Q_OBJECT

private slots:
    void refusesWhatFileNamesCannotHold_data();
    void refusesWhatFileNamesCannotHold();
};

void TestNameRules::refusesWhatFileNamesCannotHold_data()
{
    QTest::addColumn<int>("use");
    QTest::addColumn<QString>("text"); // the title name, the list, or the song
    QTest::addColumn<QString>("artist");
    QTest::addColumn<int>("reason");
    QTest::addColumn<QString>("character"); // the character named, for a forbidden one

    // Title names: each of the eleven, at the start, inside and at the end of a name.
    // ';' and ',' are refused too, although file systems would take them.
    for (const QChar c : u"\\/:,;*?\"<>|"_s) {
        QTest::addRow("title: %c inside", c.toLatin1()) << int(TitleName) << u"ベスト"_s + c + u"盤"_s << QString() << Forbidden << QString(c);
        QTest::addRow("title: %c first", c.toLatin1()) << int(TitleName) << c + u"Best"_s << QString() << Forbidden << QString(c);
        QTest::addRow("title: %c alone", c.toLatin1()) << int(TitleName) << QString(c) << QString() << Forbidden << QString(c);
    }
    QTest::newRow("title: Japanese name") << int(TitleName) << u"街の風景"_s << QString() << None << QString();
    QTest::newRow("title: blanks, dots and signs")
        << int(TitleName) << u"Best of 2001. #1 & (live) 'x' [y] 100%"_s << QString() << None << QString();
    QTest::newRow("title: full-width look-alikes")
        << int(TitleName) << u"／＼￥：，；＊？＂＜＞｜、。"_s << QString() << None << QString();
    QTest::newRow("title: ideographic space") << int(TitleName) << u"街　の風景"_s << QString() << None << QString();
    QTest::newRow("title: underscore") << int(TitleName) << u"曲目_X"_s << QString() << None << QString();
    QTest::newRow("title: wave dash has a CP932 form") << int(TitleName) << u"夏〜秋"_s << QString() << None << QString();
    QTest::newRow("title: tab") << int(TitleName) << u"A\tB"_s << QString() << Control << QString();
    QTest::newRow("title: line end") << int(TitleName) << u"題\n"_s << QString() << Control << QString();
    QTest::newRow("title: delete") << int(TitleName) << u"A\u007F"_s << QString() << Control << QString();
    QTest::newRow("title: line separator") << int(TitleName) << u"A\u2028B"_s << QString() << Control << QString();
    QTest::newRow("title: forbidden before control") << int(TitleName) << u"A\t:"_s << QString() << Forbidden << u":"_s;
    QTest::newRow("title: accented letter") << int(TitleName) << u"Café"_s << QString() << Unstorable << u"é"_s;
    QTest::newRow("title: emoji") << int(TitleName) << u"歌🎵"_s << QString() << Unstorable << u"🎵"_s;
    // "曲目_" + name + ".txt" in UTF-8 bytes: 7 + name + 4.
    // Names Windows keeps for devices, in any letter case, alone or before an extension;
    // a "." or a blank at the end, which Windows drops.
    for (const QString& name : {u"CON"_s, u"nul"_s, u"com1"_s, u"Aux"_s, u"prn"_s, u"LPT9"_s, u"con.txt"_s, u"Nul.jpg"_s,
                                u"COM3.tar.gz"_s, u"AUX .txt"_s, u"Best."_s, u"Best "_s, u"..."_s})
        QTest::addRow("title: %s", qPrintable(name)) << int(TitleName) << name << QString() << NotOnWindows << QString();
    for (const QString& name : {u"COM0"_s, u"LPT10"_s, u"CONSOLE"_s, u"Icon"_s, u"NUL_2"_s, u"ＣＯＮ"_s, u".con"_s,
                                u"Vol.1"_s, u" Best"_s, u"Best　"_s})
        QTest::addRow("title: %s", qPrintable(name)) << int(TitleName) << name << QString() << None << QString();
    QTest::newRow("title: forbidden before device") << int(TitleName) << u"CON:"_s << QString() << Forbidden << u":"_s;
    QTest::newRow("title: 244 ASCII, 255 bytes") << int(TitleName) << QString(244, u'a') << QString() << None << QString();
    QTest::newRow("title: 245 ASCII, 256 bytes") << int(TitleName) << QString(245, u'a') << QString() << TooLong << QString();
    QTest::newRow("title: 81 kana, 254 bytes") << int(TitleName) << QString(81, u'あ') << QString() << None << QString();
    QTest::newRow("title: 82 kana, 257 bytes") << int(TitleName) << QString(82, u'あ') << QString() << TooLong << QString();

    // Track lists: one character at a time, in the order \ : , ; * ? " < > | and then
    // "/", which only a compilation's lines may hold.
    for (const QChar c : u"\\:,;*?\"<>|"_s) {
        QTest::addRow("list: %c, plain", c.toLatin1()) << int(TrackList) << u"1.A\r\nB"_s + c + u"\r\n"_s << QString() << Forbidden << QString(c);
        QTest::addRow("list: %c, compilation", c.toLatin1()) << int(CompilationList) << u"A/X"_s + c << QString() << Forbidden << QString(c);
    }
    QTest::newRow("list: backslash before semicolon") << int(TrackList) << u"a;b\\c"_s << QString() << Forbidden << u"\\"_s;
    QTest::newRow("list: colon before comma") << int(CompilationList) << u"a,b:c"_s << QString() << Forbidden << u":"_s;
    QTest::newRow("list: quote before bar") << int(TrackList) << u"a|b\"c"_s << QString() << Forbidden << u"\""_s;
    QTest::newRow("list: slash refused for a plain title") << int(TrackList) << u"A/B"_s << QString() << Forbidden << u"/"_s;
    QTest::newRow("list: slash allowed for a compilation") << int(CompilationList) << u"A/B\r\nC/D/E"_s << QString() << None << QString();
    QTest::newRow("list: slash reported after the others") << int(TrackList) << u"A/B|C"_s << QString() << Forbidden << u"|"_s;
    QTest::newRow("list: full-width look-alikes")
        << int(TrackList) << u"Ａ／Ｂ＼￥：，；＊？＂＜＞｜"_s << QString() << None << QString();
    QTest::newRow("list: clean list") << int(TrackList) << u"1.街の風景\r\n2.はじまり\r\n"_s << QString() << None << QString();
    QTest::newRow("list: empty memo") << int(TrackList) << QString() << QString() << None << QString();
    QTest::newRow("list: tabs stay") << int(TrackList) << u"1.\t朝\r\n"_s << QString() << None << QString();
    QTest::newRow("list: a character CP932 lacks") << int(TrackList) << u"朝\r\n夜🌙\r\n"_s << QString() << Unstorable << u"🌙"_s;
    QTest::newRow("list: forbidden before unstorable") << int(CompilationList) << u"夜🌙|"_s << QString() << Forbidden << u"|"_s;

    // Lyrics file names: "歌詞_" + song + "_" + artist + ".txt". What a file name cannot
    // hold stands there in full-width form, so every song and artist can have lyrics.
    for (const QChar c : u"\\/:*?\"<>|"_s) {
        QTest::addRow("lyrics: %c in song", c.toLatin1()) << int(LyricsName) << u"A"_s + c + u"B"_s << u"X"_s << None << QString();
        QTest::addRow("lyrics: %c in artist", c.toLatin1()) << int(LyricsName) << u"A"_s << u"X"_s + c << None << QString();
    }
    QTest::newRow("lyrics: device names stand inside") << int(LyricsName) << u"CON"_s << u"nul."_s << None << QString();
    QTest::newRow("lyrics: tab") << int(LyricsName) << u"A\tB"_s << u"X"_s << Control << QString();
    QTest::newRow("lyrics: line end in artist") << int(LyricsName) << u"A"_s << u"X\nY"_s << Control << QString();
    QTest::newRow("lyrics: delete in artist") << int(LyricsName) << u"A"_s << u"X\u007F"_s << Control << QString();
    QTest::newRow("lyrics: 300 characters") << int(LyricsName) << QString(300, u'a') << u"X"_s << TooLong << QString();
    // "歌詞_" + song + "_X.txt" in UTF-8 bytes: 7 + song + 6.
    QTest::newRow("lyrics: 242 ASCII, 255 bytes") << int(LyricsName) << QString(242, u'a') << u"X"_s << None << QString();
    QTest::newRow("lyrics: 243 ASCII, 256 bytes") << int(LyricsName) << QString(243, u'a') << u"X"_s << TooLong << QString();
    QTest::newRow("lyrics: 80 kana, 253 bytes") << int(LyricsName) << QString(80, u'あ') << u"X"_s << None << QString();
    QTest::newRow("lyrics: 81 kana, 256 bytes") << int(LyricsName) << QString(81, u'あ') << u"X"_s << TooLong << QString();
    QTest::newRow("lyrics: ordinary Japanese") << int(LyricsName) << u"はじまりさえ歌えない"_s << u"ミナモ航路"_s << None << QString();
    QTest::newRow("lyrics: unregistered artist") << int(LyricsName) << u"街の風景"_s << u"未登録"_s << None << QString();
    QTest::newRow("lyrics: full-width look-alikes") << int(LyricsName) << u"Ａ／Ｂ：？"_s << u"＊＜＞｜￥"_s << None << QString();
    QTest::newRow("lyrics: semicolon and comma") << int(LyricsName) << u"A;B"_s << u"C,D"_s << None << QString();
    QTest::newRow("lyrics: blanks, dots and underscores") << int(LyricsName) << u"Mr. Song _1_ "_s << u" X"_s << None << QString();
}

void TestNameRules::refusesWhatFileNamesCannotHold()
{
    QFETCH(int, use);
    QFETCH(QString, text);
    QFETCH(QString, artist);
    QFETCH(int, reason);
    QFETCH(QString, character);

    const std::optional<NameRefusal> refusal = refusalOf(use, text, artist);
    QCOMPARE(refusal ? int(refusal->reason) : None, reason);
    if (refusal && !character.isEmpty())
        QCOMPARE(refusal->character, character);
}

QTEST_APPLESS_MAIN(TestNameRules)
#include "tst_namerules.moc"
