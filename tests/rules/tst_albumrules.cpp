#include "exchange/albumrules.h"
#include "exchange/musictags.h"
#include "store/cp932.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <mpegfile.h>
#include <id3v1tag.h>
#include <id3v2tag.h>
#include <textidentificationframe.h>

using namespace Qt::Literals::StringLiterals;

class TstAlbumRules : public QObject {
    Q_OBJECT
private slots:
    void latin1Tags_data();
    void latin1Tags();
    void titleDate_data();
    void titleDate();
    void songName_data();
    void songName();
    void albums();
    void id3v1File();
};

void TstAlbumRules::latin1Tags_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    const auto latin1 = [](const QString& s) { return s.toLatin1(); };
    const auto sjis = [](const QString& s) {
        QByteArray out;
        cp932::encode(s, &out);
        return out;
    };
    for (const QString& s : {u"Beyoncé"_s, u"Motörhead"_s, u"Café del Mar"_s, u"Sinéad O'Connor"_s, u"Sigur Rós"_s,
                             u"Björk"_s, u"Mötley Crüe"_s, u"Ænima"_s, u"Canção"_s, u"Ação e Reação"_s,
                             u"plain ASCII"_s})
        QTest::newRow(qPrintable(s)) << latin1(s) << s;
    for (const QString& s : {u"ウタバコ"_s, u"街の風景"_s, u"ｳﾀﾊﾞｺ"_s, u"Mr.Children 名もなき詩"_s, u"鬱"_s, u"こんなふうでも…"_s})
        QTest::newRow(qPrintable(s)) << sjis(s) << s;
    // Valid CP932 only by the user-defined area: no tag means that.
    QTest::newRow("user-defined area") << QByteArray("\xF0\x40\xF0\x41") << u"\u00F0@\u00F0A"_s;
    // Windows-1252 punctuation, whose bytes CP932 would pair with the letter after.
    QTest::newRow("apostrophe") << QByteArray("Don\x92t Stop Me Now") << u"Don’t Stop Me Now"_s;
    QTest::newRow("apostrophe at the end") << QByteArray("It\x92s") << u"It’s"_s;
    QTest::newRow("opening quote") << QByteArray("\x91Round Midnight") << u"‘Round Midnight"_s;
    QTest::newRow("double quotes") << QByteArray("\x93Heroes\x94") << u"“Heroes”"_s;
    QTest::newRow("dashes") << QByteArray("Rock \x96 Live \x97 1999") << u"Rock – Live — 1999"_s;
    QTest::newRow("ellipsis and euro") << QByteArray("Wait\x85 \x80" "5") << u"Wait… €5"_s;
    QTest::newRow("lone kanji after a blank") << sjis(u"X JAPAN 紅"_s) << u"X JAPAN 紅"_s;
    // An ID3v1 field cut inside its last character keeps the characters before it.
    QTest::newRow("cut last character") << sjis(u"ウタバコ"_s).chopped(1) << u"ウタバ"_s;
    QTest::newRow("cut after letters") << sjis(u"Best of 街角"_s).chopped(1) << u"Best of 街"_s;
}

void TstAlbumRules::latin1Tags()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(musictags::tagTextOfLatin1(bytes), text);
}

void TstAlbumRules::titleDate_data()
{
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("date");
    QTest::newRow("full") << u"2004-05-06"_s << u"2004/05/06"_s;
    QTest::newRow("with time") << u"2004-05-06T10:00:00"_s << u"2004/05/06"_s;
    QTest::newRow("year") << u"1999"_s << u"1999"_s;
    QTest::newRow("year and month") << u"1999-07"_s << u"1999/07"_s;
    QTest::newRow("one-digit month and day") << u"2018/8/1"_s << u"2018/08/01"_s;
    QTest::newRow("impossible day") << u"2001-02-30"_s << u"2001/02"_s;
    QTest::newRow("impossible month") << u"2001-13"_s << u"2001"_s;
    QTest::newRow("year with more digits") << u"19999"_s << u"2026/12/07"_s;
    QTest::newRow("none") << QString() << u"2026/12/07"_s;
    QTest::newRow("words") << u"unknown"_s << u"2026/12/07"_s;
}

void TstAlbumRules::titleDate()
{
    QFETCH(QString, tag);
    QFETCH(QString, date);
    QCOMPARE(albumrules::titleDate(tag, QDate(2026, 12, 7)), date);
}

void TstAlbumRules::songName_data()
{
    QTest::addColumn<QString>("tag");
    QTest::addColumn<bool>("keepSlash");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("plain") << u"  街の風景 "_s << false << u"街の風景"_s << false;
    QTest::newRow("eleven") << u"\\/:,;*?\"<>|"_s << false << u"＼／：，；＊？＂＜＞｜"_s << true;
    QTest::newRow("artist keeps its slash") << u"AC/DC, live"_s << true << u"AC/DC， live"_s << true;
    QTest::newRow("line break") << u"a\nb\tc"_s << false << u"a b c"_s << false;
    QTest::newRow("stored form") << u"〜"_s << false << u"～"_s << false;
    QTest::newRow("ideographic space stays") << u"　歌　"_s << false << u"　歌　"_s << false;
}

void TstAlbumRules::songName()
{
    QFETCH(QString, tag);
    QFETCH(bool, keepSlash);
    QFETCH(QString, name);
    QFETCH(bool, replaced);
    bool was = false;
    QCOMPARE(albumrules::songName(tag, keepSlash, &was), name);
    QCOMPARE(was, replaced);
}

// Files become albums by album tag and album artist (or folder), tracks in disc,
// number and file name order; names met twice take the artist; what cannot be made says why.
void TstAlbumRules::albums()
{
    const auto file = [](QString folder, QString name, QString album, QString albumArtist, QString artist,
                         QString title, int disc, int track) {
        return MusicFile{{}, folder, name, album, albumArtist, artist, title, {}, {}, {}, disc, track, {}};
    };
    const std::vector<MusicFile> files{
        file(u"/m/a"_s, u"3.mp3"_s, u"One"_s, {}, u"P"_s, u"c"_s, 2, 1),
        file(u"/m/a"_s, u"2.mp3"_s, u"One"_s, {}, u"P"_s, u"b"_s, 1, 0),
        file(u"/m/a"_s, u"1.mp3"_s, u"One"_s, {}, u"P"_s, u"a"_s, 1, 9),
        file(u"/m/b"_s, u"1.mp3"_s, u"One"_s, u"Q"_s, u"Q1"_s, u"x"_s, 0, 1),
        file(u"/m/b"_s, u"2.mp3"_s, u"One"_s, u"Q"_s, u"Q2"_s, u"y"_s, 0, 2),
        file(u"/m/c"_s, u"1.mp3"_s, u"Hits"_s, u"Various Artists"_s, u"R"_s, u"r"_s, 0, 1),
        file(u"/m/c"_s, u"2.mp3"_s, u"Hits"_s, u"Various Artists"_s, u"S/T"_s, u"s?"_s, 0, 2),
        file(u"/m/無題"_s, u"1.mp3"_s, {}, {}, {}, {}, 0, 0),
        file(u"/m/d"_s, u"1.mp3"_s, u"A:B"_s, {}, u"P"_s, u"z"_s, 0, 1),
        file(u"/m/e"_s, u"1.mp3"_s, u"old"_s, {}, u"P"_s, u"z"_s, 0, 1),
        file(u"/m/f"_s, u"1.mp3"_s, u"old"_s, {}, u"R"_s, u"z"_s, 0, 1),
        // One album ripped twice, and a third of its name and artist with other songs.
        file(u"/m/mp3"_s, u"1.mp3"_s, u"Twice"_s, {}, u"T"_s, u"s1"_s, 0, 1),
        file(u"/m/mp3"_s, u"2.mp3"_s, u"Twice"_s, {}, u"T"_s, u"s2"_s, 0, 2),
        file(u"/m/flac"_s, u"2.flac"_s, u"Twice"_s, {}, u"T"_s, u"s2"_s, 0, 2),
        file(u"/m/flac"_s, u"1.flac"_s, u"Twice"_s, {}, u"T"_s, u"s1"_s, 0, 1),
        file(u"/m/live"_s, u"1.flac"_s, u"Twice"_s, {}, u"T"_s, u"s1 (live)"_s, 0, 1),
    };
    const TitleTable titles({TitleRecord{u"OLD"_s, u"P"_s, {}, {}, {}, {}, {}}});
    const std::vector<albumrules::PlannedTitle> planned =
        albumrules::planTitles(files, {albumrules::albumKey(files[3])}, titles, QDate(2026, 12, 7));
    QCOMPARE(planned.size(), size_t(10));
    const auto row = [](const albumrules::PlannedTitle& t) {
        return QStringList{t.record.name, t.record.artist, t.record.genre, t.record.date, t.lines().join(u'|'),
                           t.hasCover ? u"cover"_s : QString(), t.problems.join(u'、'), t.notes.join(u'、')};
    };
    QCOMPARE(row(planned[0]), (QStringList{u"One"_s, u"P"_s, u"未登録"_s, u"2026/12/07"_s, u"a|b|c"_s, {}, {}, {}}));
    QCOMPARE(row(planned[1]), (QStringList{u"One（Q）"_s, u"Q"_s, u"未登録"_s, u"2026/12/07"_s, u"x|y"_s,
                                           u"cover"_s, {}, {}}));
    QCOMPARE(row(planned[2]), (QStringList{u"Hits"_s, u"複数"_s, u"未登録"_s, u"2026/12/07"_s, u"r/R|s？/S/T"_s, {},
                                           {}, u"曲名の使えない文字を全角にしました"_s}));
    QCOMPARE(row(planned[3]), (QStringList{u"無題"_s, u"未登録"_s, u"未登録"_s, u"2026/12/07"_s, u"1"_s, {}, {}, {}}));
    QCOMPARE(planned[4].problems, QStringList{u"名前に使えない文字「:」"_s});
    QCOMPARE(planned[5].problems, QStringList{u"登録済み"_s});

    // Lyrics CP932 cannot hold are told, never written with "?" in their place.
    MusicFile sung = files[0];
    sung.lyrics = u"歌 😀"_s;
    QCOMPARE(albumrules::planTitles({sung}, {}, {}, QDate(2026, 12, 7)).front().problems,
             QStringList{u"歌詞に保存できない文字「😀」"_s});
    QCOMPARE(row(planned[6]), (QStringList{u"old（R）"_s, u"R"_s, u"未登録"_s, u"2026/12/07"_s, u"z"_s, {}, {}, {}}));
    QCOMPARE(row(planned[7]), (QStringList{u"Twice"_s, u"T"_s, u"未登録"_s, u"2026/12/07"_s, u"s1|s2"_s, {}, {}, {}}));
    QCOMPARE(row(planned[8]), (QStringList{u"Twice"_s, u"T"_s, u"未登録"_s, u"2026/12/07"_s, u"s1|s2"_s, {}, u"重複"_s, {}}));
    QCOMPARE(planned[8].duplicateOf, u"Twice"_s);
    QCOMPARE(row(planned[9]), (QStringList{u"Twice（T）"_s, u"T"_s, u"未登録"_s, u"2026/12/07"_s, u"s1 (live)"_s, {}, {}, {}}));
}

// An ID3v1 tag holds bytes alone; Shift-JIS ones are read back as Japanese. An ID3v2
// frame stored in Unicode is never guessed at, whatever its letters.
void TstAlbumRules::id3v1File()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"v1.mp3"_s);
    const QString v2 = dir.filePath(u"v2.mp3"_s);
    for (const QString& copy : {path, v2}) {
        QVERIFY(QFile::copy(QStringLiteral(UTABAKO_FIXTURES "/music/silence.mp3"), copy));
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
    }
    {
        TagLib::MPEG::File file(QFile::encodeName(v2).constData());
        // Two letters that read as half-width katakana were they bytes of a Latin-1 field.
        auto* title = new TagLib::ID3v2::TextIdentificationFrame("TIT2", TagLib::String::UTF8);
        title->setText(TagLib::String("\xC3\x80\xC3\x89", TagLib::String::UTF8));
        file.ID3v2Tag(true)->addFrame(title);
        QVERIFY(file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers));
    }
    QCOMPARE(musictags::readMusicFile(v2, {})->title, u"ÀÉ"_s);
    QByteArray album;
    QVERIFY(cp932::encode(u"ウタバコ"_s, &album));
    {
        TagLib::MPEG::File file(QFile::encodeName(path).constData());
        file.ID3v1Tag(true)->setAlbum(TagLib::String(TagLib::ByteVector(album.constData(), 8), TagLib::String::Latin1));
        file.ID3v1Tag(true)->setArtist("Beyonc\xE9");
        QVERIFY(file.save(TagLib::MPEG::File::ID3v1, TagLib::File::StripOthers));
    }
    const std::optional<MusicFile> read = musictags::readMusicFile(path, [](const MusicFile&) { return true; });
    QVERIFY(read);
    QCOMPARE(read->album, u"ウタバコ"_s);
    QCOMPARE(read->artist, u"Beyoncé"_s);
    QVERIFY(read->cover.isEmpty());
}

QTEST_GUILESS_MAIN(TstAlbumRules)
#include "tst_albumrules.moc"
