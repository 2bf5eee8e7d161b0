#include "uifixture.h"

#include "overviews/catalogue.h"
#include "platform/picturebox.h"
#include "platform/thumbnails.h"
#include "store/filelisting.h"
#include "title/mainscreen.h"
#include "upkeep/coverwrite.h"
#include "upkeep/tourtexts.h"

#include <QAccessible>
#include <QBuffer>
#include <QComboBox>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QRandomGenerator>
#include <QUrl>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QString titles(int count)
{
    QString out;
    for (int i = 1; i <= count; ++i)
        out += UiFixture::title(u"T%1"_s.arg(i, 2, 10, QChar(u'0')));
    return out;
}

QByteArray picture(const char* format)
{
    QImage image(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            image.setPixel(x, y, qRgb(x * 4, y * 4, (x * y) % 256));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// The bytes a picture file holds, by a word: whole, cut (its first half), empty, text.
QByteArray pictureFile(const QString& extension, const QString& kind)
{
    const QByteArray whole = extension == u"gif"_s ? fixture::readFixture(u"green.gif"_s)
                                                   : picture(extension == u"jpg"_s ? "JPG" : "BMP");
    if (kind == u"cut"_s)
        return whole.left(whole.size() * 7 / 8);
    if (kind == u"empty"_s)
        return {};
    if (kind == u"text"_s)
        return "not a picture";
    if (kind == u"trailed"_s) {
        // What a phone's motion photo puts after the picture: a video, whose bytes hold
        // scan and start markers and no end marker after the last of them.
        QByteArray video(4096, '\x42');
        for (qsizetype i = 100; i + 4 < video.size(); i += 700)
            video.replace(i, 4, "\xFF\xDA\xFF\xD8");
        return whole + video;
    }
    return whole;
}

QString shown(const PictureBox* box)
{
    return QFileInfo(box->source()).fileName();
}

// The catalogue once the covers of its page are read: they are read off the window's
// thread and shown as each is done.
Catalogue* settled(Catalogue* c)
{
    if (!QTest::qWaitFor([&] { return !c->coversPending(); }))
        qWarning("the covers were still being read");
    return c;
}

QString range(const Catalogue* c)
{
    return c->lblPicKan[0]->text() + c->lblPicKan[2]->text() + c->lblPicKan[1]->text();
}

// A JPEG of one colour, with noise that makes it large in bytes when asked.
QByteArray coverOf(const QColor& colour, bool large)
{
    QImage image(large ? 1400 : 600, large ? 1000 : 450, QImage::Format_RGB32);
    image.fill(colour);
    if (large) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixelColor(x, y, colour.lighter(80 + static_cast<int>(QRandomGenerator::global()->bounded(40))));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 95);
    return bytes;
}

// A bitmap of one colour over the size decoded at once.
QByteArray largeBitmap(const QColor& colour)
{
    QImage image(640, 480, QImage::Format_RGB888);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

bool setModified(const QString& path, const QDateTime& time)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.setFileTime(time, QFileDevice::FileModificationTime);
}

QColor middle(const QImage& image)
{
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

bool near(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) < 60;
}

} // namespace

// The picture catalogue: pages of fifteen, paging, opening a title from a slot, the
// picture each slot shows, and a built catalogue kept until the titles change.
class TestCatalogue : public QObject {
    Q_OBJECT

private slots:
    void pagesOfFifteen();
    void slotOpensItsTitle();
    void showsTheLastPictureThatLoads_data();
    void showsTheLastPictureThatLoads();
    void builtPageStaysUntilTheTitlesChange();
    void thumbnailsAreNamedAndKeyedAsDesktopsShare_data();
    void thumbnailsAreNamedAndKeyedAsDesktopsShare();
    void staleThumbnailIsMadeAgain_data();
    void staleThumbnailIsMadeAgain();
    void pageComesFromThumbnailsMadeAhead_data();
    void pageComesFromThumbnailsMadeAhead();
    void cacheIsReadWithoutWaitingNorThroughLinks_data();
    void cacheIsReadWithoutWaitingNorThroughLinks();
    void replacedCoverIsNotShownFromItsOldThumbnail_data();
    void replacedCoverIsNotShownFromItsOldThumbnail();

    void fitsTheWindowItIsGiven_data();
    void fitsTheWindowItIsGiven();
private:
    QTemporaryDir m_cache;
};

void TestCatalogue::pagesOfFifteen()
{
    for (const int count : {15, 16}) {
        UiFixture f;
        QVERIFY(f.put(u"データ.TXT"_s, titles(count)));
        QVERIFY(f.put(u"設定.TXT"_s, u"\"ヘルプツアー\",1\r\n"_s));
        MainWindow& w = f.start();
        f.dialogs.clear();
        Catalogue* c = w.fraPic;
        QTest::mouseClick(w.cmdPic, Qt::LeftButton);
        QVERIFY(c->isVisible());
        QCOMPARE(f.dialogs.texts(), QStringList{tour::kCatalogue});
        QCOMPARE(range(c), u"1～15"_s);
        QCOMPARE(c->lblName[14]->text(), u"T15"_s);

        QTest::mouseClick(c->cmdDown, Qt::LeftButton);
        QCOMPARE(range(c), u"1～15"_s);
        QTest::mouseClick(c->cmdUp, Qt::LeftButton);
        QTest::mouseClick(c->cmdUp, Qt::LeftButton);
        if (count == 15) {
            QCOMPARE(range(c), u"1～15"_s);
            QCOMPARE(c->lblName[0]->text(), u"T01"_s);
            continue;
        }
        // The last page's range is not cut down to the last title.
        QCOMPARE(range(c), u"16～30"_s);
        QCOMPARE(c->lblName[0]->text(), u"T16"_s);
        QCOMPARE(c->lblName[1]->text(), QString());
        QVERIFY(c->imgPIc[1]->isEmpty());
        QTest::mouseClick(c->cmdDown, Qt::LeftButton);
        QCOMPARE(c->lblName[1]->text(), u"T02"_s);
        QCOMPARE(f.dialogs.boxes.size(), size_t(1));
    }
}

void TestCatalogue::slotOpensItsTitle()
{
    UiFixture f;
    QVERIFY(f.put(u"データ.TXT"_s, titles(20)));
    MainWindow& w = f.start();
    Catalogue* c = w.fraPic;
    QTest::mouseClick(w.cmdPic, Qt::LeftButton);
    // The arrow keys go from cover to cover, never onto an empty slot.
    QVERIFY(QTest::qWaitForWindowActive(&w));
    c->imgPIc[0]->setFocus();
    for (const auto& [key, slot] : {std::pair{Qt::Key_Down, 6}, {Qt::Key_Right, 7}, {Qt::Key_Up, 2}, {Qt::Key_Left, 1},
                                    {Qt::Key_Left, 1}}) {
        QTest::keyClick(QApplication::focusWidget(), key);
        QCOMPARE(QApplication::focusWidget(), c->imgPIc[static_cast<size_t>(slot - 1)]);
    }
    QTest::mouseClick(c->cmdUp, Qt::LeftButton);
    c->imgPIc[4]->setFocus();
    QTest::keyClick(c->imgPIc[4], Qt::Key_Right);
    QCOMPARE(QApplication::focusWidget(), c->imgPIc[4]);

    // An empty slot does nothing.
    QTest::mouseClick(c->imgPIc[5], Qt::LeftButton);
    QVERIFY(c->isVisible());

    QTest::mouseClick(c->imgPIc[2], Qt::LeftButton);
    QVERIFY(w.fraMain->isVisible());
    QVERIFY(w.cmdDel->isEnabled());
    QCOMPARE(w.fraMain->lblKensu->text(), u"18 / 20"_s);
    QCOMPARE(w.fraMain->cboName->currentText(), u"T18"_s);
    QCOMPARE(w.state().ListJumpIndex, 0);

    // Back on the catalogue the same page waits; its names open titles too.
    w.fraMain->hsbData->setValue(1);
    QTest::mouseClick(w.cmdPic, Qt::LeftButton);
    QCOMPARE(range(c), u"16～30"_s);
    QTest::mouseClick(c->lblName[2], Qt::LeftButton);
    QCOMPARE(w.fraMain->lblKensu->text(), u"18 / 20"_s);

    // From the keyboard: only the slots that hold a title are reached, each named by
    // its title for a screen reader, and Enter opens it.
    QTest::mouseClick(w.cmdPic, Qt::LeftButton);
    QVERIFY(c->imgPIc[4]->focusPolicy() & Qt::TabFocus);
    QCOMPARE(c->imgPIc[5]->focusPolicy(), Qt::NoFocus);
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(c->imgPIc[4]);
    QCOMPARE(reader->role(), QAccessible::Button);
    QCOMPARE(reader->text(QAccessible::Name), u"T20"_s);
    QTest::keyClick(c->imgPIc[5], Qt::Key_Return);
    QVERIFY(c->isVisible());
    QTest::keyClick(c->imgPIc[4], Qt::Key_Return);
    QCOMPARE(w.fraMain->lblKensu->text(), u"20 / 20"_s);
    QVERIFY(f.dialogs.boxes.empty());
}

void TestCatalogue::showsTheLastPictureThatLoads_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("inSlot");
    QTest::addColumn<QString>("onCover");

    QTest::newRow("jpeg and bitmap: the bitmap") << QStringList{u"jpg whole"_s, u"bmp whole"_s} << u"X.bmp"_s << u"X.bmp"_s;
    QTest::newRow("gif alone") << QStringList{u"gif whole"_s} << u"X.gif"_s << u"X.gif"_s;
    QTest::newRow("no picture") << QStringList{} << QString() << u"NOPIC.JPG"_s;
    QTest::newRow("empty file") << QStringList{u"jpg empty"_s} << QString() << u"NOPIC.JPG"_s;
    QTest::newRow("not a picture") << QStringList{u"bmp text"_s} << QString() << u"NOPIC.JPG"_s;
    QTest::newRow("jpeg cut short") << QStringList{u"jpg cut"_s} << QString() << u"NOPIC.JPG"_s;
    QTest::newRow("jpeg with a video after it") << QStringList{u"jpg trailed"_s} << u"X.jpg"_s << u"X.jpg"_s;
    QTest::newRow("gif with bytes after it") << QStringList{u"gif trailed"_s} << u"X.gif"_s << u"X.gif"_s;
    QTest::newRow("gif cut short") << QStringList{u"gif cut"_s} << QString() << u"NOPIC.JPG"_s;
    QTest::newRow("bitmap cut short over a whole jpeg") << QStringList{u"jpg whole"_s, u"bmp cut"_s} << u"X.jpg"_s << u"X.jpg"_s;
}

void TestCatalogue::showsTheLastPictureThatLoads()
{
    QFETCH(QStringList, files);
    QFETCH(QString, inSlot);
    QFETCH(QString, onCover);
    UiFixture f;
    QVERIFY(f.put(u"データ.TXT"_s, UiFixture::title(u"X"_s)));
    QVERIFY(f.putBytes(u"NOPIC.JPG"_s, picture("JPG")));
    for (const QString& file : files) {
        const QStringList parts = file.split(u' ');
        QVERIFY(f.putBytes(u"X."_s + parts[0], pictureFile(parts[0], parts[1])));
    }
    MainWindow& w = f.start();
    QCOMPARE(shown(w.fraMain->imgGazou), onCover);
    QTest::mouseClick(w.cmdPic, Qt::LeftButton);
    QCOMPARE(shown(settled(w.fraPic)->imgPIc[0]), inSlot);
    QCOMPARE(w.fraPic->imgPIc[0]->isEmpty(), inSlot.isEmpty());
    QCOMPARE(w.fraPic->lblName[0]->text(), u"X"_s);
}

void TestCatalogue::builtPageStaysUntilTheTitlesChange()
{
    UiFixture f;
    QVERIFY(f.put(u"データ.TXT"_s, titles(16)));
    QVERIFY(f.putBytes(u"T01.jpg"_s, picture("JPG")));
    QVERIFY(f.put(u"設定.TXT"_s, u"\"ヘルプツアー\",1\r\n"_s));
    MainWindow& w = f.start();
    Catalogue* c = w.fraPic;
    QTest::mouseClick(w.cmdPic, Qt::LeftButton);
    QCOMPARE(shown(settled(c)->imgPIc[0]), u"T01.jpg"_s);

    // A cover brought in later is not seen while the built page is reused.
    QTest::mouseClick(w.cmdMain, Qt::LeftButton);
    QVERIFY(f.putBytes(u"T01.bmp"_s, picture("BMP")));
    f.dialogs.clear();
    QTest::mouseClick(w.cmdPic, Qt::LeftButton);
    QCOMPARE(shown(settled(c)->imgPIc[0]), u"T01.jpg"_s);
    QVERIFY(f.dialogs.boxes.empty());

    // A new title changes the set of titles: the catalogue is built again.
    f.dialogs.inputs = {u"T17"_s};
    QTest::mouseClick(w.cmdNew, Qt::LeftButton);
    QVERIFY(!w.state().CatalogueReady);
    f.dialogs.clear();
    QTest::mouseClick(w.cmdPic, Qt::LeftButton);
    QCOMPARE(shown(settled(c)->imgPIc[0]), u"T01.bmp"_s);
    QCOMPARE(f.dialogs.texts(), QStringList{tour::kCatalogue});
    QCOMPARE(f.dialogs.unexpected, 0);

    // Deleting the last title empties the catalogue too.
    UiFixture one;
    QVERIFY(one.put(u"データ.TXT"_s, titles(1)));
    QVERIFY(one.putBytes(u"T01.jpg"_s, picture("JPG")));
    MainWindow& o = one.start();
    QTest::mouseClick(o.cmdPic, Qt::LeftButton);
    QCOMPARE(shown(settled(o.fraPic)->imgPIc[0]), u"T01.jpg"_s);
    QTest::mouseClick(o.cmdMain, Qt::LeftButton);
    one.dialogs.answers = {Dialogs::Answer::Ok};
    QTest::mouseClick(o.cmdDel, Qt::LeftButton);
    QTest::mouseClick(o.cmdPic, Qt::LeftButton);
    QCOMPARE(o.fraPic->lblName[0]->text(), QString());
    QVERIFY(o.fraPic->imgPIc[0]->isEmpty());

    // An empty collection opens on empty slots, is never built and shows no text.
    UiFixture empty;
    QVERIFY(empty.put(u"設定.TXT"_s, u"\"ヘルプツアー\",1\r\n"_s));
    MainWindow& e = empty.start();
    empty.dialogs.clear();
    QTest::mouseClick(e.cmdPic, Qt::LeftButton);
    QCOMPARE(range(e.fraPic), u"1～15"_s);
    QCOMPARE(e.fraPic->lblName[0]->text(), QString());
    QVERIFY(!e.state().CatalogueReady);
    QVERIFY(empty.dialogs.boxes.empty());
}

void TestCatalogue::thumbnailsAreNamedAndKeyedAsDesktopsShare_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("the standard's own example") << u"/home/jens/photos/me.png"_s << u"c6ee772d9e49320e97ec29a7eb5b1697.png"_s;
    QTest::newRow("Japanese name") << u"/tmp/夜明けのアルバム.jpg"_s << u"911b79d69c7525df15b5db94422c305e.png"_s;
    QTest::newRow("space and hash") << u"/tmp/a b#1.jpg"_s << u"2e0888ba0fd5a18496c71344774238da.png"_s;
}

void TestCatalogue::thumbnailsAreNamedAndKeyedAsDesktopsShare()
{
    QFETCH(QString, path);
    QFETCH(QString, fileName);
    QCOMPARE(thumbnails::fileName(path), fileName);

    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_cache.path()));
    UiFixture f;
    QVERIFY(f.put(u"データ.TXT"_s, UiFixture::title(u"夜明け"_s)));
    QVERIFY(f.putBytes(u"夜明け.jpg"_s, coverOf(Qt::red, false)));
    MainWindow& w = f.start();
    QTest::mouseClick(w.cmdPic, Qt::LeftButton);
    settled(w.fraPic);
    const QString cover = f.path(u"夜明け.jpg"_s);
    const QString stored = m_cache.filePath(u"thumbnails/large/"_s + thumbnails::fileName(cover));
    const QImage thumbnail(stored);
    QCOMPARE(thumbnail.text(u"Thumb::URI"_s), QString::fromLatin1(QUrl::fromLocalFile(cover).toEncoded()));
    QCOMPARE(thumbnail.text(u"Thumb::MTime"_s), QString::number(QFileInfo(cover).lastModified().toSecsSinceEpoch()));
    QCOMPARE(thumbnail.text(u"Thumb::Size"_s), QString::number(QFileInfo(cover).size()));
    QCOMPARE(thumbnail.text(u"Thumb::Image::Width"_s), u"600"_s);
    QCOMPARE(thumbnail.text(u"Thumb::Image::Height"_s), u"450"_s);
    QCOMPARE(thumbnail.size(), QSize(256, 192));
    QCOMPARE(QFileInfo(stored).permissions() & 0x7077, QFile::ReadOwner | QFile::WriteOwner);
    for (const QString& folder : {u"thumbnails"_s, u"thumbnails/large"_s})
        QCOMPARE(QFileInfo(m_cache.filePath(folder)).permissions() & 0x7077,
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TestCatalogue::staleThumbnailIsMadeAgain_data()
{
    QTest::addColumn<bool>("large");
    QTest::newRow("decoded at once") << false;
    QTest::newRow("decoded on a worker") << true;
}

void TestCatalogue::staleThumbnailIsMadeAgain()
{
    QFETCH(bool, large);
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_cache.path()));
    UiFixture f;
    QVERIFY(f.put(u"データ.TXT"_s, UiFixture::title(u"X"_s)));
    QVERIFY(f.putBytes(u"X.jpg"_s, coverOf(Qt::red, large)));
    MainWindow& w = f.start();
    Catalogue* c = w.fraPic;
    const QString stored = m_cache.filePath(u"thumbnails/large/"_s + thumbnails::fileName(f.path(u"X.jpg"_s)));
    const auto build = [&] {
        QTest::mouseClick(w.cmdMain, Qt::LeftButton);
        w.state().CatalogueReady = false;
        QTest::mouseClick(w.cmdPic, Qt::LeftButton);
        if (!QTest::qWaitFor([&] { return !c->coversPending(); }))
            qWarning("the covers were still being decoded");
        return middle(c->imgPIc[0]->pixmap().toImage());
    };
    QVERIFY(near(build(), Qt::red));
    QVERIFY(near(middle(QImage(stored)), Qt::red));

    // The cover changes on disk: its thumbnail no longer matches and is made again.
    QVERIFY(f.putBytes(u"X.jpg"_s, coverOf(Qt::blue, large)));
    QFile file(f.path(u"X.jpg"_s));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
    file.close();
    QVERIFY(near(build(), Qt::blue));
    QImage thumbnail(stored);
    QVERIFY(near(middle(thumbnail), Qt::blue));
    QCOMPARE(thumbnail.text(u"Thumb::MTime"_s), QString::number(QFileInfo(file).lastModified().toSecsSinceEpoch()));

    // A current thumbnail is what a later visit shows.
    thumbnail.fill(Qt::green);
    QVERIFY(thumbnail.save(stored, "PNG"));
    QVERIFY(near(build(), Qt::green));
}

void TestCatalogue::pageComesFromThumbnailsMadeAhead_data()
{
    QTest::addColumn<bool>("idleAfterStart");
    QTest::newRow("the program idle after its start") << true;
    QTest::newRow("the page before filled") << false;
}

void TestCatalogue::pageComesFromThumbnailsMadeAhead()
{
    QFETCH(bool, idleAfterStart);
    qputenv("XDG_CACHE_HOME", QFile::encodeName(m_cache.path()));
    UiFixture f;
    QVERIFY(f.put(u"データ.TXT"_s, titles(17)));
    QVERIFY(f.putBytes(u"T01.bmp"_s, largeBitmap(Qt::red)));
    QVERIFY(f.putBytes(u"T02.BMP"_s, largeBitmap(Qt::red)));
    QVERIFY(f.putBytes(u"T16.bmp"_s, largeBitmap(Qt::red)));
    QVERIFY(f.putBytes(u"T16.jpg"_s, coverOf(Qt::yellow, false)));
    QVERIFY(f.putBytes(u"T17.jpg"_s, coverOf(Qt::yellow, false)));
    MainWindow& w = f.start();
    Catalogue* c = w.fraPic;
    if (idleAfterStart)
        c->makeThumbnailsAhead();
    else
        QTest::mouseClick(w.cmdPic, Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return !c->makingThumbnails() && !c->coversPending(); }));
    const auto stored = [&](const QString& cover) {
        return m_cache.filePath(u"thumbnails/large/"_s + thumbnails::fileName(f.path(cover)));
    };
    // Only the large file that stands for its title has one; small covers are shown at once.
    QVERIFY(QFileInfo::exists(stored(u"T16.bmp"_s)));
    QVERIFY(QFileInfo::exists(stored(u"T01.bmp"_s)));
    QVERIFY(QFileInfo::exists(stored(u"T02.BMP"_s))); // its name in capitals as copied by hand
    QVERIFY(!QFileInfo::exists(stored(u"T16.jpg"_s)));
    QVERIFY(!QFileInfo::exists(stored(u"T17.jpg"_s)));

    // The page is served from the stored thumbnail, with nothing left to decode.
    QImage thumbnail(stored(u"T16.bmp"_s));
    thumbnail.fill(Qt::green);
    QVERIFY(thumbnail.save(stored(u"T16.bmp"_s), "PNG"));
    if (idleAfterStart)
        QTest::mouseClick(w.cmdPic, Qt::LeftButton);
    QTest::mouseClick(c->cmdUp, Qt::LeftButton);
    settled(c);
    QVERIFY(near(middle(c->imgPIc[0]->pixmap().toImage()), Qt::green));

    // A cover replaced afterwards is not shown from its old thumbnail.
    QVERIFY(f.putBytes(u"T16.bmp"_s, largeBitmap(Qt::blue)));
    QFile file(f.path(u"T16.bmp"_s));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
    file.close();
    QTest::mouseClick(c->cmdDown, Qt::LeftButton);
    QTest::mouseClick(c->cmdUp, Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return !c->coversPending(); }));
    QVERIFY(near(middle(c->imgPIc[0]->pixmap().toImage()), Qt::blue));
}

void TestCatalogue::cacheIsReadWithoutWaitingNorThroughLinks_data()
{
    QTest::addColumn<bool>("link"); // what stands under the thumbnail's name: a link to a file of the user's, or a FIFO
    QTest::newRow("a FIFO") << false;
    QTest::newRow("a link to a file of the user's") << true;
}

void TestCatalogue::cacheIsReadWithoutWaitingNorThroughLinks()
{
    QFETCH(bool, link);
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    UiFixture f;
    QVERIFY(f.put(u"データ.TXT"_s, UiFixture::title(u"X"_s)));
    QVERIFY(f.putBytes(u"X.jpg"_s, coverOf(Qt::red, false)));
    const QString stored = cache.filePath(u"thumbnails/large/"_s + thumbnails::fileName(f.path(u"X.jpg"_s)));
    const QString mine = cache.filePath(u"mine.png"_s);
    QVERIFY(QDir().mkpath(QFileInfo(stored).path()) && fixture::write(mine, "the user's own file"));
    QVERIFY(link ? QFile::link(mine, stored) : ::mkfifo(QFile::encodeName(stored).constData(), 0600) == 0);

    MainWindow& w = f.start();
    ::alarm(30); // a read that waits on a FIFO ends the test here
    QTest::mouseClick(w.cmdPic, Qt::LeftButton);
    QVERIFY(near(middle(settled(w.fraPic)->imgPIc[0]->pixmap().toImage()), Qt::red));
    ::alarm(0);
    // The thumbnail made takes the name's place; the user's file is as it was.
    QVERIFY(QFileInfo(stored).isFile() && !QFileInfo(stored).isSymLink());
    QVERIFY(near(middle(QImage(stored)), Qt::red));
    QCOMPARE(fixture::read(mine), QByteArray("the user's own file"));
}

void TestCatalogue::replacedCoverIsNotShownFromItsOldThumbnail_data()
{
    QTest::addColumn<bool>("byTheProgram");
    QTest::newRow("replaced by hand within the same second") << false;
    QTest::newRow("written by the program, its time as before") << true;
}

void TestCatalogue::replacedCoverIsNotShownFromItsOldThumbnail()
{
    // Every bitmap of one size has one byte count.
    QFETCH(bool, byTheProgram);
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    UiFixture f;
    QVERIFY(f.put(u"データ.TXT"_s, UiFixture::title(u"X"_s)));
    const QString cover = f.path(u"X.bmp"_s);
    const QDateTime second = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch() - 60);
    QVERIFY(f.putBytes(u"X.bmp"_s, largeBitmap(Qt::red)) && setModified(cover, second));
    MainWindow& w = f.start();
    const auto build = [&] {
        QTest::mouseClick(w.cmdMain, Qt::LeftButton);
        w.state().CatalogueReady = false;
        QTest::mouseClick(w.cmdPic, Qt::LeftButton);
        return middle(settled(w.fraPic)->imgPIc[0]->pixmap().toImage());
    };
    QVERIFY(near(build(), Qt::red));
    QVERIFY(QFileInfo::exists(cache.filePath(u"thumbnails/large/"_s + thumbnails::fileName(cover))));
    if (byTheProgram) {
        FileListing lyrics(w.state().folder, u"歌詞_*.txt"_s);
        f.dialogs.answers = {Dialogs::Answer::Ok};
        QCOMPARE(writeCover(w.state(), f.dialogs, lyrics, u"X"_s, u"blue.bmp"_s, largeBitmap(Qt::blue)), u"X.bmp"_s);
        // As a file system that keeps whole seconds.
        QVERIFY(setModified(cover, second));
    } else {
        QVERIFY(f.putBytes(u"X.bmp"_s, largeBitmap(Qt::blue)) && setModified(cover, second.addMSecs(500)));
    }
    QVERIFY(near(build(), Qt::blue));
}

QTEST_MAIN(TestCatalogue)
void TestCatalogue::fitsTheWindowItIsGiven_data()
{
    QTest::addColumn<QSize>("size"); // an empty size: the window's least
    QTest::newRow("least size") << QSize();
    QTest::newRow("a small laptop's") << QSize(1000, 600);
    QTest::newRow("the program's own") << QSize(1260, 760);
}

void TestCatalogue::fitsTheWindowItIsGiven()
{
    QFETCH(QSize, size);
    UiFixture f;
    QString titles;
    for (int t = 1; t <= 15; ++t)
        titles += UiFixture::title(u"題%1"_s.arg(t));
    QVERIFY(f.put(u"データ.TXT"_s, titles));
    MainWindow& w = f.start();
    w.resize(size.isEmpty() ? w.minimumSizeHint() : size);
    QCoreApplication::processEvents();
    const QSize before = w.size();
    QTest::mouseClick(w.cmdPic, Qt::LeftButton);
    QCoreApplication::processEvents();
    QCOMPARE(w.size(), before);
    QVERIFY(w.minimumSizeHint().width() <= before.width() && w.minimumSizeHint().height() <= before.height());
    const QRect panel = w.fraPic->contentsRect();
    for (int k = 0; k < 15; ++k) {
        const PictureBox* box = w.fraPic->imgPIc[static_cast<size_t>(k)];
        QVERIFY(panel.contains(QRect(box->mapTo(w.fraPic, QPoint(0, 0)), box->size())));
        QCOMPARE(box->width(), box->height());
        QVERIFY(box->width() >= 64);
        QVERIFY(!w.fraPic->lblName[static_cast<size_t>(k)]->geometry().intersects(box->geometry()));
    }
    // At the size it was made for, the covers are as large as ever.
    if (size == QSize(1260, 760))
        QCOMPARE(w.fraPic->imgPIc[0]->width(), 172);
}

#include "tst_catalogue.moc"
