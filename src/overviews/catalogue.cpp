#include "catalogue.h"

#include "app/appstate.h"
#include "app/navigator.h"
#include "overviews/overviewrules.h"
#include "platform/named.h"
#include "platform/picturebox.h"
#include "platform/picturecache.h"
#include "platform/thumbnails.h"
#include "store/filelisting.h"
#include "store/namerules.h"
#include "platform/repaint.h"
#include "upkeep/tourtexts.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSet>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;
using namespace overviewrules;

namespace {

// The side of a picture's square: three rows with their names and the range fit the
// panel of a 1280 x 800 screen. In a smaller window the squares shrink, down to the least.
constexpr int kSquare = 172;
constexpr int kLeastSquare = 64;
constexpr int kColumns = 5;
constexpr int kRows = kSlotsPerPage / kColumns;
constexpr int kColumnGap = 14;

// A title's name over its picture: a name too long for the square ends in "…"; the
// whole name is its text and its tooltip.
class NameLabel : public QLabel {
public:
    NameLabel()
    {
        setAlignment(Qt::AlignCenter);
        setTextFormat(Qt::PlainText);
        setMinimumWidth(kLeastSquare + 6);
        setMaximumWidth(kSquare + 6);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        setCursor(Qt::PointingHandCursor);
    }

    void setName(const QString& name)
    {
        setText(name);
        setToolTip(name);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QRect area = contentsRect();
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(area, static_cast<int>(alignment()), fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
    }
};

QPushButton* pageButton(const QString& name, const QString& arrow, const QString& tip)
{
    auto* button = named(new QPushButton(arrow), name);
    QFont font = button->font();
    font.setPointSize(18);
    button->setFont(font);
    button->setFixedSize(64, 64);
    button->setToolTip(tip);
    return button;
}

} // namespace

Catalogue::Catalogue(AppState& state, Navigator& navigator, QWidget* parent)
    : QFrame(parent)
    , m_state(state)
    , m_navigator(navigator)
{
    setObjectName(u"fraPic"_s);
    setFrameShape(QFrame::StyledPanel);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(kColumnGap);
    grid->setVerticalSpacing(2);
    for (int k = 1; k <= kSlotsPerPage; ++k) {
        const size_t i = static_cast<size_t>(k - 1);
        auto* name = new NameLabel;
        lblName[i] = named<QLabel>(name, u"lblName_%1"_s.arg(k));
        imgPIc[i] = named(new PictureBox, u"imgPIc_%1"_s.arg(k));
        imgPIc[i]->setMinimumSize(kLeastSquare, kLeastSquare);
        imgPIc[i]->setMaximumSize(kSquare, kSquare);
        imgPIc[i]->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        imgPIc[i]->setFrameShape(QFrame::StyledPanel);
        imgPIc[i]->setCursor(Qt::PointingHandCursor);
        imgPIc[i]->setDecodedToFit(true);
        const int row = (k - 1) / kColumns;
        const int column = (k - 1) % kColumns;
        grid->addWidget(lblName[i], row * 2, column, Qt::AlignBottom);
        grid->addWidget(imgPIc[i], row * 2 + 1, column);
        lblName[i]->installEventFilter(this);
        imgPIc[i]->installEventFilter(this);
        connect(imgPIc[i], &PictureBox::clicked, this, [this, k] { openSlot(k); });
    }

    for (int i = 0; i < 3; ++i) {
        lblPicKan[static_cast<size_t>(i)] = named(new QLabel, u"lblPicKan_%1"_s.arg(i));
        QFont font = lblPicKan[static_cast<size_t>(i)]->font();
        font.setPointSize(12);
        lblPicKan[static_cast<size_t>(i)]->setFont(font);
    }
    lblPicKan[2]->setText(u"～"_s);
    auto* range = new QHBoxLayout;
    range->addStretch(1);
    for (size_t i : {0, 2, 1})
        range->addWidget(lblPicKan[i]);
    range->addStretch(1);

    cmdDown = pageButton(u"cmdDown"_s, u"←"_s, u"前の１５タイトルを表示します"_s);
    cmdUp = pageButton(u"cmdUp"_s, u"→"_s, u"次の１５タイトルを表示します"_s);
    auto* paging = new QVBoxLayout;
    paging->addStretch(1);
    paging->addWidget(cmdDown);
    paging->addWidget(cmdUp);
    paging->addStretch(1);

    // The page takes the room; what its squares leave is shared either side of it.
    m_page = new QWidget;
    auto* pictures = new QVBoxLayout(m_page);
    pictures->setContentsMargins(0, 0, 0, 0);
    pictures->addLayout(grid);
    pictures->addLayout(range);
    auto* layout = new QHBoxLayout(this);
    layout->addStretch(1);
    layout->addWidget(m_page, 100);
    layout->addSpacing(24);
    layout->addLayout(paging);
    layout->addStretch(1);

    connect(cmdDown, &QPushButton::clicked, this, &Catalogue::cmdDown_Click);
    connect(cmdUp, &QPushButton::clicked, this, &Catalogue::cmdUp_Click);
}

void Catalogue::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    fitSquares();
}

void Catalogue::fitSquares()
{
    // The squares take what the page buttons, the names and the range leave, as large as
    // the screen the catalogue was made for allows and never so large that the window
    // must grow.
    const QMargins margins = layout()->contentsMargins();
    const int nameHeight = lblName[0]->sizeHint().height();
    const int across = (contentsRect().width() - margins.left() - margins.right() - cmdDown->width() - 24
                        - (kColumns - 1) * kColumnGap)
            / kColumns
        - 6;
    const int down = (contentsRect().height() - margins.top() - margins.bottom() - lblPicKan[0]->sizeHint().height()
                      - kRows * (nameHeight + 8) - 2 * kRows * 2)
        / kRows;
    const int square = std::clamp(std::min(across, down), kLeastSquare, kSquare);
    for (size_t i = 0; i < imgPIc.size(); ++i) {
        imgPIc[i]->setMaximumSize(square, square);
        lblName[i]->setMaximumWidth(square + 6);
    }
    m_page->setMaximumWidth(kColumns * (square + 6) + (kColumns - 1) * kColumnGap);
}

void Catalogue::showRange(int page)
{
    lblPicKan[0]->setText(QString::number(firstOnPage(page)));
    lblPicKan[1]->setText(QString::number(lastOnPage(page)));
}

void Catalogue::emptySlots()
{
    ++m_pageShown;
    for (QFutureWatcher<Decoded>* pending : m_pending)
        pending->cancel();
    m_pending.clear();
    for (int k = 1; k <= kSlotsPerPage; ++k) {
        static_cast<NameLabel*>(lblName[static_cast<size_t>(k - 1)])->setName(QString());
        PictureBox* box = imgPIc[static_cast<size_t>(k - 1)];
        box->clearPicture();
        box->setClickable(false);
        box->setAccessibleName(QString());
    }
}

void Catalogue::fillSlots(int page)
{
    const int count = m_state.titles.count();
    for (int k = 1; k <= kSlotsPerPage; ++k) {
        const int t = titleInSlot(page, k);
        if (t > count)
            break;
        const QString& name = m_state.titles.at(t).name;
        static_cast<NameLabel*>(lblName[static_cast<size_t>(k - 1)])->setName(name);
        PictureBox* box = imgPIc[static_cast<size_t>(k - 1)];
        // A slot that holds a title is reached with Tab and opened with Space or Enter.
        box->setClickable(true);
        box->setAccessibleName(name);
        showCover(k, covers::files(m_state.folder, name));
        // The page fills visibly, slot by slot; clicks wait until it is done.
        repaintNow();
    }
    // Paging on from here finds its covers made: the next page first, then the one before.
    std::vector<QStringList> around = coversOf(firstOnPage(page + 1), lastOnPage(page + 1));
    if (page > 1) {
        const std::vector<QStringList> before = coversOf(firstOnPage(page - 1), lastOnPage(page - 1));
        around.insert(around.end(), before.begin(), before.end());
    }
    m_ahead.prepend(around, slotSide());
}

int Catalogue::slotSide() const
{
    // The thumbnails are those of the full square, whatever the window's size, so that
    // the ones made ahead serve every size of the catalogue.
    return static_cast<int>(kSquare * imgPIc[0]->devicePixelRatioF());
}

std::vector<QStringList> Catalogue::coversOf(int first, int last) const
{
    std::vector<QStringList> out;
    for (int t = first; t <= std::min(last, m_state.titles.count()); ++t) {
        QStringList files = covers::files(m_state.folder, m_state.titles.at(t).name);
        if (!files.isEmpty())
            out.push_back(std::move(files));
    }
    return out;
}

void Catalogue::makeThumbnailsWhenIdle()
{
    QTimer::singleShot(3000, this, &Catalogue::makeThumbnailsAhead);
}

void Catalogue::makeThumbnailsAhead()
{
    // The folder's listing picks out the titles that have a picture file, so that only
    // their files are looked at on disk. Names match regardless of ASCII letter case, as
    // the covers are found ("T.JPG" is the cover of "T").
    QSet<QString> listed;
    for (const QString& name : m_state.folder.listing().all()) {
        QString folded = foldLetterCase(name);
        if (folded.endsWith(u".jpg"_s) || folded.endsWith(u".gif"_s) || folded.endsWith(u".bmp"_s))
            listed.insert(std::move(folded));
    }
    std::vector<QStringList> all;
    for (int t = 1; t <= m_state.titles.count(); ++t) {
        const QString& name = m_state.titles.at(t).name;
        const QStringList pictures = namerules::pictureFileNames(name);
        if (std::none_of(pictures.begin(), pictures.end(),
                         [&](const QString& file) { return listed.contains(foldLetterCase(file)); }))
            continue;
        if (QStringList files = covers::files(m_state.folder, name); !files.isEmpty())
            all.push_back(std::move(files));
    }
    m_ahead.append(all, slotSide());
}

void Catalogue::showCover(int k, const QStringList& files)
{
    // The first of the files that loads is shown (".bmp" over ".gif" over ".jpg"), from
    // its thumbnail when one is stored. The thumbnail cache lies outside the data folder,
    // where anything may stand under a thumbnail's name or the disk may be slow, so it
    // is read and written on a worker, and the slot shows its picture when done; the
    // window is free meanwhile.
    if (!files.isEmpty())
        decodeLater(k, files, slotSide());
}

void Catalogue::decodeLater(int k, const QStringList& files, int side)
{
    auto* watcher = new QFutureWatcher<Decoded>(this);
    m_pending.push_back(watcher);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, k, page = m_pageShown] {
        watcher->deleteLater();
        std::erase(m_pending, watcher);
        // A page turned or built again meanwhile has other titles in its slots.
        if (page != m_pageShown || watcher->isCanceled())
            return;
        const Decoded decoded = watcher->result();
        if (!decoded.image.isNull())
            imgPIc[static_cast<size_t>(k - 1)]->setPicture(decoded.image, decoded.path);
    });
    watcher->setFuture(QtConcurrent::run([files, side] {
        for (const QString& file : files) {
            if (QImage image = thumbnails::picture(file, side); !image.isNull())
                return Decoded{file, image};
        }
        return Decoded{};
    }));
}

void Catalogue::fillPage(int page)
{
    showRange(page);
    emptySlots();
    fillSlots(page);
}

void Catalogue::cmdPic_Click()
{
    if (isVisible())
        return;
    m_navigator.HideAllPanels();
    if (m_state.CatalogueReady) {
        show();
        return;
    }
    CataloguePage = 1;
    showRange(CataloguePage);
    emptySlots();
    show();
    CataloguePageCount = pageCount(m_state.titles.count());
    if (CataloguePageCount == 0)
        return;
    fillSlots(CataloguePage);
    m_state.CatalogueReady = true;
    m_state.tour.show(tour::kCatalogue);
}

void Catalogue::cmdUp_Click()
{
    if (CataloguePage < CataloguePageCount)
        fillPage(++CataloguePage);
}

void Catalogue::cmdDown_Click()
{
    if (CataloguePage > 1)
        fillPage(--CataloguePage);
}

void Catalogue::openSlot(int slot)
{
    const int t = titleInSlot(CataloguePage, slot);
    if (t < 1 || t > m_state.titles.count())
        return;
    m_navigator.showTitle(t);
}

bool Catalogue::eventFilter(QObject* watched, QEvent* event)
{
    // The arrow keys move the keyboard from cover to cover of the page: ← and → in
    // reading order, ↑ and ↓ to the row above or below. Toward an empty slot or off
    // the page the key does nothing; the pages turn with cmdDown and cmdUp.
    if (event->type() == QEvent::KeyPress) {
        const auto* press = static_cast<QKeyEvent*>(event);
        const std::pair<int, int> steps[] = {{Qt::Key_Left, -1}, {Qt::Key_Right, 1}, {Qt::Key_Up, -5}, {Qt::Key_Down, 5}};
        for (int k = 1; k <= kSlotsPerPage; ++k) {
            if (watched != imgPIc[static_cast<size_t>(k - 1)] || (press->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
                continue;
            for (const auto& [key, step] : steps) {
                const int to = k + step;
                if (press->key() != key)
                    continue;
                if (to >= 1 && to <= kSlotsPerPage && imgPIc[static_cast<size_t>(to - 1)]->isClickable())
                    imgPIc[static_cast<size_t>(to - 1)]->setFocus(Qt::OtherFocusReason);
                return true;
            }
        }
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* release = static_cast<QMouseEvent*>(event);
        for (int k = 1; k <= kSlotsPerPage; ++k) {
            QLabel* name = lblName[static_cast<size_t>(k - 1)];
            if (watched == name && release->button() == Qt::LeftButton && name->rect().contains(release->position().toPoint())) {
                openSlot(k);
                return true;
            }
        }
    }
    return QFrame::eventFilter(watched, event);
}
