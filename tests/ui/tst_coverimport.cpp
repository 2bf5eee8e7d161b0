#include "uifixture.h"

#include "platform/picturebox.h"
#include "title/mainscreen.h"
#include "upkeep/coverimport.h"

#include <QBuffer>
#include <QComboBox>
#include <QFileInfo>
#include <QImage>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>

using namespace Qt::Literals::StringLiterals;

namespace {

// A window on the title "Blue" with the import panel open on a folder of pictures.
struct ImportFixture {
    ImportFixture()
    {
        QVERIFY(f.put(u"データ.TXT"_s, UiFixture::title(u"Blue"_s)));
        for (const char* name : {"scan.BMP", "photo.jpg", "other.gif", "small.png", "long.jpeg"})
            QVERIFY(fixture::write(source.filePath(QString::fromLatin1(name)), solidPicture(qRgb(0, 0, 200), "BMP")));
        QVERIFY(fixture::write(source.filePath(u"photo.jpg"_s), solidPicture(qRgb(200, 0, 0), "JPG")));
        MainWindow& w = f.start();
        screen = w.fraMain;
        panel = screen->fraPicget;
        QTest::mouseClick(screen->imgGazou, Qt::LeftButton);
        panel->ShowFolder(source.path());
    }

    QStringList offered() const
    {
        QStringList out;
        for (int i = 0; i < panel->filZukei_Moto->count(); ++i)
            out.append(panel->filZukei_Moto->item(i)->text());
        return out;
    }

    void choose(const QString& file)
    {
        QListWidget* list = panel->filZukei_Moto;
        const QList<QListWidgetItem*> found = list->findItems(file, Qt::MatchExactly);
        QVERIFY(found.size() == 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found[0]).center());
    }

    void copy() { QTest::mouseClick(panel->cmdFileCopy, Qt::LeftButton); }

    UiFixture f;
    QTemporaryDir source;
    MainScreen* screen = nullptr;
    CoverImport* panel = nullptr;
};

} // namespace

// The cover import panel: what it offers, the name a copy gets, the questions it asks,
// and what a copy that cannot be made leaves behind (nothing).
class TestCoverImport : public QObject {
    Q_OBJECT

private slots:
    void copiesUnderTheTitlesName_data();
    void copiesUnderTheTitlesName();
    void asksBeforeOverwriting();
    void refusesWithoutFileOrTitle();
    void failedCopyLeavesNothing_data();
    void failedCopyLeavesNothing();
    void offersToRemovePicturesShownInstead();
    void driveNotReady();
};

void TestCoverImport::copiesUnderTheTitlesName_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("copied");

    QTest::newRow("upper-case bitmap keeps its case") << u"scan.BMP"_s << u"Blue.BMP"_s;
    QTest::newRow("jpeg") << u"photo.jpg"_s << u"Blue.jpg"_s;
}

void TestCoverImport::copiesUnderTheTitlesName()
{
    QFETCH(QString, file);
    QFETCH(QString, copied);
    ImportFixture i;
    QVERIFY(i.panel->isVisible());
    QCOMPARE(i.offered(), (QStringList{u"photo.jpg"_s, u"scan.BMP"_s}));

    // A click previews the file in the cover box.
    i.choose(file);
    QCOMPARE(i.screen->imgGazou->source(), i.source.filePath(file));
    i.f.window->state().CatalogueReady = true;
    i.copy();
    QCOMPARE(i.f.bytes(copied), fixture::read(i.source.filePath(file)));
    QVERIFY(!i.panel->isVisible());
    QVERIFY(!i.f.window->state().CatalogueReady);
    QVERIFY(i.f.dialogs.boxes.empty());
    QCOMPARE(QDir(i.f.tmp.path()).entryList({u"Blue.*"_s}), QStringList{copied});
    i.screen->showTitle(1);
    QCOMPARE(QFileInfo(i.screen->imgGazou->source()).fileName(), copied);
}

void TestCoverImport::asksBeforeOverwriting()
{
    ImportFixture i;
    const QByteArray old = solidPicture(qRgb(0, 200, 0), "JPG");
    QVERIFY(i.f.putBytes(u"Blue.jpg"_s, old));
    i.choose(u"photo.jpg"_s);
    i.f.dialogs.answers = {Dialogs::Answer::Cancel};
    i.copy();
    QCOMPARE(i.f.dialogs.titles(), QStringList{u"上書き確認"_s});
    QCOMPARE(i.f.dialogs.boxes[0].text, u"同じ名前の画像が既に存在します。上書きしますか？"_s);
    QCOMPARE(i.f.dialogs.boxes[0].buttons, Dialogs::Buttons::OkCancel);
    QCOMPARE(i.f.bytes(u"Blue.jpg"_s), old);
    QVERIFY(i.panel->isVisible());

    i.f.dialogs.answers = {Dialogs::Answer::Ok};
    i.copy();
    QCOMPARE(i.f.bytes(u"Blue.jpg"_s), fixture::read(i.source.filePath(u"photo.jpg"_s)));
    QVERIFY(!i.panel->isVisible());
}

void TestCoverImport::refusesWithoutFileOrTitle()
{
    ImportFixture i;
    const QStringList before = QDir(i.f.tmp.path()).entryList(QDir::Files);
    i.copy();
    QCOMPARE(i.f.dialogs.titles(), QStringList{u"ファイル未選択"_s});
    QCOMPARE(i.f.dialogs.boxes[0].text, u"コピー元ファイルが指定されていません \n\n先にファイルを選択して下さい "_s);
    QVERIFY(i.panel->isVisible());

    // Typed names name no title: nothing is written, in the folder or beside it.
    for (const QString& typed : {u"Red"_s, u"../Blue"_s}) {
        i.f.dialogs.clear();
        i.choose(u"photo.jpg"_s);
        i.screen->cboName->setEditText(typed);
        i.copy();
        QCOMPARE(i.f.dialogs.titles(), QStringList{u"タイトル未選択"_s});
        QVERIFY(i.panel->isVisible());
    }
    QCOMPARE(QDir(i.f.tmp.path()).entryList(QDir::Files), before);
    QVERIFY(!QFileInfo::exists(i.f.tmp.path() + u"/../Blue.jpg"_s));

    // Cancel leaves the preview until the title is shown again.
    QTest::mouseClick(i.panel->cmdYame, Qt::LeftButton);
    QVERIFY(!i.panel->isVisible());
    QCOMPARE(i.screen->imgGazou->source(), i.source.filePath(u"photo.jpg"_s));
    QCOMPARE(QDir(i.f.tmp.path()).entryList(QDir::Files), before);
}

void TestCoverImport::failedCopyLeavesNothing_data()
{
    QTest::addColumn<QString>("failure");
    // The source is found to be no picture before anything is asked.
    QTest::newRow("source gone") << u"source gone"_s;
    QTest::newRow("text under a picture's name") << u"text"_s;
    QTest::newRow("a JPEG cut short") << u"cut"_s;
    QTest::newRow("a folder under the cover's name") << u"folder"_s;
    QTest::newRow("data folder read-only") << u"read-only"_s;
    QTest::newRow("a link to a picture elsewhere") << u"link"_s;
}

void TestCoverImport::failedCopyLeavesNothing()
{
    QFETCH(QString, failure);
    ImportFixture i;
    i.choose(u"photo.jpg"_s);
    // A good cover is there, which no failure may spoil.
    const QByteArray cover = solidPicture(qRgb(0, 200, 0), "JPG");
    QVERIFY(i.f.putBytes(u"Blue.jpg"_s, cover));
    i.f.dialogs.answers = {Dialogs::Answer::Ok};
    const bool noPicture = failure == u"source gone"_s || failure == u"text"_s || failure == u"cut"_s;
    if (failure == u"source gone"_s)
        QVERIFY(QFile::remove(i.source.filePath(u"photo.jpg"_s)));
    if (failure == u"text"_s)
        QVERIFY(fixture::write(i.source.filePath(u"photo.jpg"_s), "<html>not found</html>"));
    if (failure == u"cut"_s)
        QVERIFY(fixture::write(i.source.filePath(u"photo.jpg"_s), solidPicture(qRgb(200, 0, 0), "JPG").first(200)));
    if (failure == u"folder"_s) {
        QVERIFY(QFile::remove(i.f.path(u"Blue.jpg"_s)));
        QVERIFY(QDir(i.f.tmp.path()).mkdir(u"Blue.jpg"_s));
    }
    if (failure == u"read-only"_s)
        i.f.folder->setReadOnly(u"読み取り専用のメディアです"_s);
    QTemporaryDir elsewhere;
    if (failure == u"link"_s) {
        QVERIFY(fixture::write(elsewhere.filePath(u"mine.jpg"_s), "kept"));
        QVERIFY(QFile::remove(i.f.path(u"Blue.jpg"_s)));
        QVERIFY(QFile::link(elsewhere.filePath(u"mine.jpg"_s), i.f.path(u"Blue.jpg"_s)));
    }
    const QStringList before = QDir(i.f.tmp.path()).entryList(QDir::Files | QDir::Hidden);
    i.copy();

    if (noPicture) {
        QCOMPARE(i.f.dialogs.titles(), QStringList{u"取り込み不可"_s});
        QVERIFY(i.f.dialogs.boxes.back().text.contains(u"photo.jpg"_s));
        QCOMPARE(i.f.bytes(u"Blue.jpg"_s), cover);
    } else {
        QCOMPARE(i.f.dialogs.titles().last(), u"書き込みエラー"_s);
        QVERIFY2(i.f.dialogs.boxes.back().text.contains(u"Blue.jpg"_s), qPrintable(i.f.dialogs.boxes.back().text));
    }
    if (failure == u"read-only"_s)
        QCOMPARE(i.f.bytes(u"Blue.jpg"_s), cover);
    QVERIFY(i.panel->isVisible());
    QCOMPARE(QDir(i.f.tmp.path()).entryList(QDir::Files | QDir::Hidden), before);
    if (failure == u"link"_s)
        QCOMPARE(fixture::read(elsewhere.filePath(u"mine.jpg"_s)), QByteArray("kept"));
}

void TestCoverImport::offersToRemovePicturesShownInstead()
{
    ImportFixture i;
    QVERIFY(i.f.putBytes(u"Blue.gif"_s, fixture::readFixture(u"green.gif"_s)));
    QVERIFY(i.f.putBytes(u"Blue.BMP"_s, solidPicture(qRgb(0, 200, 0), "BMP")));
    i.choose(u"photo.jpg"_s);
    i.f.dialogs.answers = {Dialogs::Answer::No};
    i.copy();
    QCOMPARE(i.f.dialogs.titles(), QStringList{u"既存の画像"_s});
    QCOMPARE(i.f.dialogs.boxes[0].buttons, Dialogs::Buttons::YesNo);
    QCOMPARE(i.f.dialogs.boxes[0].def, Dialogs::Answer::No);
    QVERIFY2(i.f.dialogs.boxes[0].text.contains(u"Blue.gif、Blue.BMP"_s), qPrintable(i.f.dialogs.boxes[0].text));
    i.screen->showTitle(1);
    QCOMPARE(QFileInfo(i.screen->imgGazou->source()).fileName(), u"Blue.BMP"_s);

    i.f.dialogs.clear();
    QTest::mouseClick(i.screen->imgGazou, Qt::LeftButton);
    i.choose(u"photo.jpg"_s);
    i.f.dialogs.answers = {Dialogs::Answer::Ok, Dialogs::Answer::Yes};
    i.copy();
    QCOMPARE(i.f.dialogs.titles(), (QStringList{u"上書き確認"_s, u"既存の画像"_s}));
    QCOMPARE(QDir(i.f.tmp.path()).entryList({u"Blue.*"_s}), QStringList{u"Blue.jpg"_s});
    i.screen->showTitle(1);
    QCOMPARE(QFileInfo(i.screen->imgGazou->source()).fileName(), u"Blue.jpg"_s);

    // A bitmap is shown first: nothing to ask.
    i.f.dialogs.clear();
    QTest::mouseClick(i.screen->imgGazou, Qt::LeftButton);
    i.choose(u"scan.BMP"_s);
    i.copy();
    QVERIFY(i.f.dialogs.boxes.empty());
    QCOMPARE(QDir(i.f.tmp.path()).entryList({u"Blue.*"_s}), (QStringList{u"Blue.BMP"_s, u"Blue.jpg"_s}));
}

void TestCoverImport::driveNotReady()
{
    ImportFixture i;
    QComboBox* drives = i.panel->drvZukei_Moto;
    QVERIFY(drives->count() >= 1);
    QCOMPARE(drives->itemData(0).toString(), QDir::cleanPath(QDir::homePath()));
    // A drive that went away after the list was read, as a card taken out.
    drives->addItem(u"カード"_s, i.f.tmp.path() + u"/取り出したカード"_s);
    emit drives->activated(drives->count() - 1);

    QCOMPARE(i.f.dialogs.titles(), QStringList{u"ﾃﾞﾊﾞｲｽ未準備"_s});
    QCOMPARE(i.f.dialogs.boxes[0].text, u"ﾃﾞﾊﾞｲｽが準備されていません"_s);
    QCOMPARE(i.f.dialogs.boxes[0].icon, Dialogs::Icon::Critical);
    QCOMPARE(i.panel->folder(), QDir::cleanPath(i.source.path()));
    QCOMPARE(i.offered(), (QStringList{u"photo.jpg"_s, u"scan.BMP"_s}));
    QCOMPARE(drives->findText(u"カード"_s), -1);

    // A drive that is there opens at its root.
    emit drives->activated(0);
    QCOMPARE(i.panel->folder(), QDir::cleanPath(QDir::homePath()));
    QCOMPARE(i.panel->dirZukei_Moto->currentItem()->data(0, Qt::UserRole).toString(), i.panel->folder());
}

QTEST_MAIN(TestCoverImport)
#include "tst_coverimport.moc"
