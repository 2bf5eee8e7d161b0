#pragma once

#include <QFrame>
#include <QFutureWatcher>
#include <QImage>

#include "platform/thumbnailer.h"

#include <array>
#include <vector>

class AppState;
class Navigator;
class PictureBox;
class QLabel;
class QPushButton;

// The picture catalogue (fraPic): the covers of the collection fifteen titles to a page
// in three rows of five, each under its title's name, paged with cmdDown and cmdUp. A
// click on a picture or a name opens that title on the main screen. A built catalogue
// is shown again as it was until something changes the titles or their order.
class Catalogue : public QFrame {
    Q_OBJECT
public:
    Catalogue(AppState& state, Navigator& navigator, QWidget* parent = nullptr);

    // cmdPic: shows the page last built, or builds page 1; nothing while on show.
    void cmdPic_Click();
    void cmdUp_Click();
    void cmdDown_Click();
    // imgPIc / lblName Click, slot 1..15.
    void openSlot(int slot);

    // Slot k (1..15) is imgPIc[k - 1] under lblName[k - 1].
    std::array<PictureBox*, 15> imgPIc;
    std::array<QLabel*, 15> lblName;
    // The range under the pictures: lblPicKan[0] "first", lblPicKan[2] "～", lblPicKan[1] "last".
    std::array<QLabel*, 3> lblPicKan;
    QPushButton* cmdDown;
    QPushButton* cmdUp;

    int CataloguePage = 1;
    int CataloguePageCount = 0;

    // Whether covers of the page shown are still being read or decoded.
    bool coversPending() const { return !m_pending.empty(); }

    // makeThumbnailsAhead() a few seconds from now, whatever the user does meanwhile (the
    // thumbnails themselves are made only on an otherwise idle core).
    void makeThumbnailsWhenIdle();
    // The thumbnails of every title's large cover, the first pages first, made in the
    // background before the catalogue is opened.
    void makeThumbnailsAhead();
    // Whether thumbnails are still being made ahead.
    bool makingThumbnails() const { return m_ahead.busy(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Sizes the picture squares to the room the panel has.
    void fitSquares();
    QWidget* m_page = nullptr;
    void showRange(int page);
    void emptySlots();
    // Names and covers of the page's titles, slot by slot, each shown as it is loaded.
    void fillSlots(int page);
    void fillPage(int page);
    void showCover(int k, const QStringList& files);
    void decodeLater(int k, const QStringList& files, int side);
    // The thumbnail side that fills a slot, in device pixels.
    int slotSide() const;
    std::vector<QStringList> coversOf(int first, int last) const;

    struct Decoded {
        QString path;
        QImage image;
    };
    std::vector<QFutureWatcher<Decoded>*> m_pending;
    // Counts the pages put in the slots, so that a cover decoded for a page no longer
    // shown is dropped.
    int m_pageShown = 0;

    AppState& m_state;
    Navigator& m_navigator;
    // Last, so that it stops first.
    Thumbnailer m_ahead;
};
