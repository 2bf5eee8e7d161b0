#include "uifixture.h"

#include "platform/picturebox.h"
#include "title/mainscreen.h"
#include "upkeep/coverdrop.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QImage>
#include <QMimeData>
#include <QUrl>

using namespace Qt::Literals::StringLiterals;

namespace {

enum class Source { FileUrl, ImageData, ImageBytes, ClipboardJpeg, Text, RemoteUrl };
enum class Way { Drop, Paste };

} // namespace

Q_DECLARE_METATYPE(Source)
Q_DECLARE_METATYPE(Way)

// A picture dropped on the cover box or pasted on the main screen: what is written for
// each kind of payload, and what is refused with nothing written.
class TestCoverDrop : public QObject {
    Q_OBJECT

private slots:
    void bringsPictureIn_data();
    void bringsPictureIn();
    void asksBeforeReplacingNamingTitleAndFile();
};

void TestCoverDrop::bringsPictureIn_data()
{
    QTest::addColumn<Way>("way");
    QTest::addColumn<Source>("source");
    QTest::addColumn<QString>("file");      // the file dropped, written beside the collection
    QTest::addColumn<QByteArray>("bytes");  // what the file or payload holds
    QTest::addColumn<QString>("written");   // the data folder's new file, or empty
    QTest::addColumn<bool>("keptAsIs");     // the bytes written are the bytes given
    QTest::addColumn<QSize>("size");        // else the size of the JPEG written
    QTest::addColumn<QString>("refusal");   // the text of the refusal, or empty

    const QByteArray jpeg = solidPicture(qRgb(200, 0, 0), "JPG");
    const QByteArray bmp = solidPicture(qRgb(0, 0, 200), "BMP");
    const QByteArray png = solidPicture(qRgb(0, 200, 0), "PNG");
    // Taller than the 65,500 lines a JPEG holds.
    QImage tallImage(16, 70'000, QImage::Format_RGB32);
    tallImage.fill(qRgb(0, 200, 0));
    QByteArray tall;
    QBuffer buffer(&tall);
    QVERIFY(buffer.open(QIODevice::WriteOnly) && tallImage.save(&buffer, "PNG"));
    const QSize same(16, 16);
    // As ImageMagick writes it, and as browsers hand pictures out.
    const QByteArray webp = fixture::readFixture(u"green.webp"_s);
    const QString notPicture = u"「%1」は画像として読み込めないため、取り込めません。\r\n\r\n"
                               "壊れているか途中までしかないファイル、または大きすぎるファイルです。"_s;
    for (Way way : {Way::Drop, Way::Paste}) {
        const char* w = way == Way::Drop ? "drop: " : "paste: ";
        auto row = [&](const char* name) { return &QTest::newRow((QByteArray(w) + name).constData()); };
        *row("JPEG file") << way << Source::FileUrl << u"photo.jpg"_s << jpeg << u"Blue.jpg"_s << true << same << QString();
        *row("JPEG file named .jpeg") << way << Source::FileUrl << u"photo.jpeg"_s << jpeg << u"Blue.jpg"_s << true << same << QString();
        *row("bitmap file") << way << Source::FileUrl << u"scan.BMP"_s << bmp << u"Blue.BMP"_s << true << same << QString();
        *row("PNG file") << way << Source::FileUrl << u"web.png"_s << png << u"Blue.jpg"_s << false << same << QString();
        *row("image data") << way << Source::ImageData << QString() << png << u"Blue.jpg"_s << false << same << QString();
        *row("PNG bytes") << way << Source::ImageBytes << QString() << png << u"Blue.jpg"_s << false << same << QString();
        *row("JPEG bytes") << way << Source::ImageBytes << QString() << jpeg << u"Blue.jpg"_s << true << same << QString();
        *row("JPEG as a browser copies it") << way << Source::ClipboardJpeg << QString() << jpeg << u"Blue.jpg"_s << true
                                            << same << QString();
        *row("WebP file") << way << Source::FileUrl << u"web.webp"_s << webp << u"Blue.jpg"_s << false << QSize(24, 16)
                          << QString();
        *row("PNG bytes taller than a JPEG") << way << Source::ImageBytes << QString() << tall << u"Blue.jpg"_s << false
                                             << QSize(15, 65'500) << QString();
        *row("text file") << way << Source::FileUrl << u"notes.txt"_s << QByteArray("not a picture") << QString() << false << same
                          << notPicture.arg(u"notes.txt"_s);
        *row("text") << way << Source::Text << QString() << QByteArray("hello") << QString() << false << same
                     << notPicture.arg(u"hello"_s);
        *row("remote URL") << way << Source::RemoteUrl << QString() << QByteArray() << QString() << false << same
                           << u"インターネット上の画像（https://example.com/a.png）は直接取り込めません。\r\n\r\n"
                              "いったんファイルとして保存してから、そのファイルをドロップしてください。"_s;
    }
}

void TestCoverDrop::bringsPictureIn()
{
    QFETCH(Way, way);
    QFETCH(Source, source);
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, written);
    QFETCH(bool, keptAsIs);
    QFETCH(QSize, size);
    QFETCH(QString, refusal);

    UiFixture f;
    QTemporaryDir elsewhere;
    QVERIFY(f.put(u"データ.TXT"_s, UiFixture::title(u"Blue"_s)));
    MainWindow& w = f.start();
    MainScreen* screen = w.fraMain;
    const QStringList before = QDir(f.tmp.path()).entryList(QDir::Files);
    w.state().CatalogueReady = true;

    auto* data = new QMimeData;
    switch (source) {
    case Source::FileUrl:
        QVERIFY(fixture::write(elsewhere.filePath(file), bytes));
        data->setUrls({QUrl::fromLocalFile(elsewhere.filePath(file))});
        break;
    case Source::ImageData:
        data->setImageData(QImage::fromData(bytes));
        break;
    case Source::ImageBytes:
        data->setData(u"image/png"_s, bytes);
        break;
    case Source::ClipboardJpeg:
        // The picture decoded beside its own bytes, as a browser's copy offers it.
        data->setImageData(QImage::fromData(bytes));
        data->setData(u"image/jpeg"_s, bytes);
        break;
    case Source::Text:
        data->setText(QString::fromLatin1(bytes));
        break;
    case Source::RemoteUrl:
        data->setUrls({QUrl(u"https://example.com/a.png"_s)});
        break;
    }

    if (way == Way::Drop) {
        PictureBox* box = screen->imgGazou;
        QVERIFY(box->acceptDrops());
        QDragEnterEvent enter(box->rect().center(), Qt::CopyAction, data, Qt::LeftButton, {});
        QApplication::sendEvent(box, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(box->rect().center()), Qt::CopyAction, data, Qt::LeftButton, {});
        QApplication::sendEvent(box, &drop);
        delete data;
        QCoreApplication::processEvents();
    } else {
        QApplication::clipboard()->setMimeData(data);
        screen->imgGazou->setFocus();
        QTest::keyClick(screen->imgGazou, Qt::Key_V, Qt::ControlModifier);
    }
    // The picture is read and made a JPEG on a worker.
    const auto* drop = screen->findChild<CoverDrop*>();
    QVERIFY(drop);
    QTRY_VERIFY_WITH_TIMEOUT(!drop->bringingIn(), 30'000);
    QCOMPARE(f.dialogs.busyDepth, 0);

    if (refusal.isEmpty()) {
        QCOMPARE(f.dialogs.titles(), QStringList());
        QCOMPARE(QDir(f.tmp.path()).entryList({u"Blue.*"_s}), QStringList{written});
        const QByteArray got = f.bytes(written);
        if (keptAsIs) {
            QCOMPARE(got, bytes);
        } else {
            // Turned into a JPEG of the same picture.
            QVERIFY(got.startsWith("\xFF\xD8\xFF"));
            const QImage image = QImage::fromData(got);
            QCOMPARE(image.height(), size.height());
            QVERIFY(qAbs(image.width() - size.width()) <= 1);
            QVERIFY(qAbs(qGreen(image.pixel(size.width() / 2, size.height() / 2)) - 200) < 8);
        }
        QVERIFY(!w.state().CatalogueReady);
        QCOMPARE(QFileInfo(screen->imgGazou->source()).fileName(), written);
    } else {
        QCOMPARE(f.dialogs.titles(), QStringList{u"取り込み不可"_s});
        QCOMPARE(f.dialogs.boxes[0].text, refusal);
        QCOMPARE(f.dialogs.boxes[0].icon, Dialogs::Icon::Exclamation);
        QCOMPARE(QDir(f.tmp.path()).entryList(QDir::Files), before);
    }
}

void TestCoverDrop::asksBeforeReplacingNamingTitleAndFile()
{
    UiFixture f;
    QTemporaryDir elsewhere;
    QVERIFY(f.put(u"データ.TXT"_s, UiFixture::title(u"Blue"_s)));
    const QByteArray old = solidPicture(qRgb(200, 0, 0), "JPG");
    const QByteArray dropped = solidPicture(qRgb(0, 0, 200), "JPG");
    QVERIFY(f.putBytes(u"Blue.JPG"_s, old)); // put in by hand, in capitals
    QVERIFY(fixture::write(elsewhere.filePath(u"photo.jpg"_s), dropped));
    MainWindow& w = f.start();
    auto* drop = w.fraMain->findChild<CoverDrop*>();
    for (const auto& [answer, kept] : {std::pair{Dialogs::Answer::Cancel, old}, {Dialogs::Answer::Ok, dropped}}) {
        f.dialogs.clear();
        f.dialogs.answers = {answer};
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(elsewhere.filePath(u"photo.jpg"_s))});
        QVERIFY(drop->bringIn(data));
        QTRY_VERIFY(!drop->bringingIn());
        QCOMPARE(f.dialogs.titles(), QStringList{u"上書き確認"_s});
        QCOMPARE(f.dialogs.boxes[0].text, u"「Blue」には同じ名前の画像（Blue.JPG）が既に存在します。上書きしますか？"_s);
        QCOMPARE(QDir(f.tmp.path()).entryList({u"Blue.*"_s}), QStringList{u"Blue.JPG"_s});
        QCOMPARE(f.bytes(u"Blue.JPG"_s), kept);
    }
}

QTEST_MAIN(TestCoverDrop)
#include "tst_coverdrop.moc"
