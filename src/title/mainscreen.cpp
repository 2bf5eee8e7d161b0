#include "mainscreen.h"

#include "app/appstate.h"
#include "app/mastercombo.h"
#include "app/tell.h"
#include "lists/titlefinder.h"
#include "lyrics/lyricspanel.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "platform/captioned.h"
#include "platform/named.h"
#include "platform/picturebox.h"
#include "platform/repaint.h"
#include "store/collectionfiles.h"
#include "store/collectionnames.h"
#include "store/cp932.h"
#include "store/filelisting.h"
#include "store/namerules.h"
#include "store/setaside.h"
#include "title/titlerules.h"
#include "title/coverbox.h"
#include "tracks/trackentry.h"
#include "upkeep/coverimport.h"
#include "upkeep/tourtexts.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QGridLayout>
#include <QIcon>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStringListModel>
#include <QTimer>

#include <algorithm>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

// An editable combo that never completes typed text into another entry and never adds
// what is typed on its own: the screens decide what becomes an entry.
// Replaces a combo's list; the text on show (the current title's value) stays.
void refill(QComboBox* combo, const QStringList& items)
{
    const QString shown = combo->currentText();
    combo->clear();
    combo->addItems(items);
    combo->setEditText(shown);
}

// A combo whose entries the user chooses. Qt reports as "activated" both a choice (an
// entry picked from the list, or stepped to with the arrow keys or the wheel on the
// closed box that has the keyboard) and what the line edit does with typed text equal to an entry: Enter, and
// leaving the box. Only a choice reaches chosen; typed text is Enter's own business.
class ChoiceCombo : public QComboBox {
public:
    std::function<void(int index)> chosen;

    ChoiceCombo()
    {
        connect(this, &QComboBox::activated, this, [this](int index) {
            if (!m_lineEditAtWork && index >= 0 && chosen)
                chosen(index);
        });
    }

    void showPopup() override
    {
        startFromShownEntry();
        QComboBox::showPopup();
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            const QScopedValueRollback atWork(m_lineEditAtWork, true);
            QComboBox::keyPressEvent(event);
            return;
        }
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            startFromShownEntry();
            break;
        default:
            break;
        }
        QComboBox::keyPressEvent(event);
    }

    void wheelEvent(QWheelEvent* event) override
    {
        // A choice is saved at once: the wheel only steps a box the user is working in,
        // and turning it over a box passed by the pointer changes nothing.
        if (!hasFocus()) {
            event->ignore();
            return;
        }
        startFromShownEntry();
        QComboBox::wheelEvent(event);
    }

    void focusOutEvent(QFocusEvent* event) override
    {
        const QScopedValueRollback atWork(m_lineEditAtWork, true);
        QComboBox::focusOutEvent(event);
    }

private:
    // The program shows a title's value as text only; a step or the opened list starts
    // from the entry that text names (from none when it names none, such as "未").
    void startFromShownEntry()
    {
        const QString shown = currentText();
        const int entry = findText(shown, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (entry == currentIndex())
            return;
        setCurrentIndex(entry);
        setEditText(shown);
    }

    bool m_lineEditAtWork = false;
};

// The title scroll bar, which shows a frame while it has the keyboard (the style draws
// none for a scroll bar).
// The title scroll bar is the main way through the collection: arrows as wide as a
// finger's click and a box that stands out from its trough.
class TitleScrollBarStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        if (metric == PM_ScrollBarExtent)
            return 22;
        if (metric == PM_ScrollBarSliderMin)
            return 40;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

class TitleScrollBar : public QScrollBar {
public:
    TitleScrollBar()
        : QScrollBar(Qt::Horizontal)
    {
        auto* style = new TitleScrollBarStyle;
        style->setParent(this);
        setStyle(style);
        QPalette shades = palette();
        shades.setColor(QPalette::Button, shades.color(QPalette::Button).darker(125));
        setPalette(shades);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QScrollBar::paintEvent(event);
        paintFocusFrame(*this);
    }
};

QComboBox* choiceCombo(const QString& name, std::function<void(int index)> chosen)
{
    auto* combo = new ChoiceCombo;
    combo->chosen = std::move(chosen);
    return mastercombo::editable(combo, name);
}

// The rating a click on the face gives: ◎ → ○ → △ → ◎; an unrated title starts at ◎.
QString nextRating(const QString& rating)
{
    if (rating == u"◎"_s)
        return u"○"_s;
    if (rating == u"○"_s)
        return u"△"_s;
    return u"◎"_s;
}

} // namespace

MainScreen::MainScreen(AppState& state, Dialogs& dialogs, Printer& printer, QWidget* parent)
    : QFrame(parent)
    , filKashi1(std::make_unique<FileListing>(state.folder, files::kLyricsPrefix + u"*.txt"_s))
    , m_state(state)
    , m_dialogs(dialogs)
    , m_names(new QStringListModel(this))
{
    setObjectName(u"fraMain"_s);

    cboName = mastercombo::editable(new QComboBox, u"cboName"_s);
    cboName->setModel(m_names);
    // Tens of thousands of names: the box is not sized by measuring each of them.
    cboName->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cboName->setMinimumContentsLength(20);
    if (auto* view = qobject_cast<QListView*>(cboName->view()))
        view->setUniformItemSizes(true);
    QFont big = cboName->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    cboName->setFont(big);
    findTitlesAsTyped(cboName, state.nameMemo, state.readings, state.titles);

    hsbData = named(new TitleScrollBar, u"hsbData"_s, u"タイトル送り"_s);
    hsbData->setRange(1, 1);
    hsbData->setSingleStep(1);
    hsbData->setPageStep(10);
    // While the box is dragged nothing happens; the title is shown once it is released.
    hsbData->setTracking(false);
    // Right arrow and wheel down go to the next title (a scroll bar inverts them).
    hsbData->setInvertedControls(false);
    // Reached with Tab, so that the arrow keys page through the titles as well.
    hsbData->setFocusPolicy(Qt::StrongFocus);

    lblKensu = named(new QLabel, u"lblKensu"_s);
    lblKensu->setMinimumWidth(130);
    lblKensu->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblKensu->setFont(big);

    Frame2 = named(new QGroupBox, u"Frame2"_s);
    cboSakusya = choiceCombo(u"cboSakusya"_s, [this](int index) {
        attributeChosen(cboSakusya, index, &TitleTable::setArtist, &TitleRecord::artist);
    });
    cboKeisai = choiceCombo(u"cboKeisai"_s, [this](int index) {
        attributeChosen(cboKeisai, index, &TitleTable::setGenre, &TitleRecord::genre);
    });
    // The rating box shows "未" for an unrated title, a text its list does not hold, so
    // it has a line edit; a rating is only chosen, never typed.
    cboHyouka = choiceCombo(u"cboHyouka"_s, [this](int index) {
        attributeChosen(cboHyouka, index, &TitleTable::setRating, &TitleRecord::rating);
    });
    cboHyouka->lineEdit()->setReadOnly(true);
    const QStringList labels{u"アーティスト"_s, u"ジャンル"_s, u"評価"_s};
    const QList<QWidget*> combos{cboSakusya, cboKeisai, cboHyouka};
    for (qsizetype i = 0; i < labels.size(); ++i)
        combos[i]->setAccessibleName(labels[i]);
    (new QVBoxLayout(Frame2))->addLayout(captionedRows(labels, combos));

    Frame3 = named(new QGroupBox, u"Frame3"_s);
    Frame3->setFixedWidth(88);
    auto* frame3Layout = new QVBoxLayout(Frame3);
    for (int i = 0; i < 3; ++i) {
        imgFace1[static_cast<size_t>(i)] = named(new QLabel, u"imgFace1_%1"_s.arg(i));
        QLabel* face = imgFace1[static_cast<size_t>(i)];
        // Drawn at the size shown and at twice that, for screens scaled to 200 %.
        face->setPixmap(QIcon(u":/icons/face%1.png"_s.arg(i)).pixmap(QSize(56, 56), face->devicePixelRatioF()));
        face->setAlignment(Qt::AlignCenter);
        face->setToolTip(u"クリックで評価を切り替えます"_s);
        // A screen reader says which face it is; the rating box changes it by keyboard.
        face->setAccessibleName(u"評価の顔 %1"_s.arg(QStringList{u"◎"_s, u"○"_s, u"△"_s}[i]));
        face->setCursor(Qt::PointingHandCursor);
        face->installEventFilter(this);
        face->hide();
        frame3Layout->addWidget(face);
    }

    Frame1 = new TrackEntry(state, dialogs, *filKashi1, *cboName, *hsbData);
    fraKashi1 = new LyricsPanel(state, dialogs, printer, *filKashi1, *Frame1);
    m_cover = new CoverBox(state, dialogs, *this, *cboName, *hsbData, *filKashi1, *Frame1);
    imgGazou = m_cover->imgGazou;
    fraPicget = m_cover->fraPicget;
    // What the lyrics panel lies over is hidden while it is open, so that Tab and a
    // screen reader only reach what can be seen.
    fraKashi1->installEventFilter(this);
    // A panel closed from the keyboard gives the keyboard back to what opened it: the
    // track grid for the lyrics, the cover for the picture import.
    m_focusReturn = connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget*) {
        for (const auto& [panel, opener] : {std::pair<QWidget*, QWidget*>{fraKashi1, Frame1->msgKyokumoku},
                                            std::pair<QWidget*, QWidget*>{fraPicget, imgGazou}}) {
            if (old && panel->isAncestorOf(old) && panel->isHidden())
                QTimer::singleShot(0, opener, [opener] {
                    if (opener->isVisible())
                        opener->setFocus(Qt::OtherFocusReason);
                });
        }
    });

    auto* top = new QHBoxLayout;
    auto* nameLabel = new QLabel(u"タイトル"_s);
    nameLabel->setBuddy(cboName);
    top->addWidget(nameLabel);
    top->addWidget(cboName, 1);
    top->addWidget(lblKensu);

    auto* attributes = new QHBoxLayout;
    attributes->addWidget(Frame2, 1);
    attributes->addWidget(Frame3);

    auto* left = new QVBoxLayout;
    left->addLayout(attributes);
    // The import panel lies over the track list, beside the cover box that previews.
    auto* tracksArea = new QGridLayout;
    tracksArea->addWidget(Frame1, 0, 0);
    tracksArea->addWidget(fraPicget, 0, 0);
    left->addLayout(tracksArea, 1);

    // The lyrics panel lies over the cover and reaches down the whole column.
    auto* right = new QGridLayout;
    right->addWidget(imgGazou, 0, 0, Qt::AlignTop);
    right->addWidget(fraKashi1, 0, 0);
    right->setRowStretch(0, 1);
    right->setColumnMinimumWidth(0, 380);

    auto* body = new QHBoxLayout;
    body->addLayout(left, 1);
    body->addLayout(right);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(hsbData);
    layout->addLayout(body, 1);

    connect(hsbData, &QScrollBar::valueChanged, this, [this] { ShowCurrentTitle(); });
    // A name picked from the list moves the scroll bar; picking the title on screen
    // leaves the position as it is, so nothing is redrawn.
    connect(cboName, &QComboBox::activated, this, [this](int index) {
        if (index >= 0)
            hsbData->setValue(index + 1);
    });
    mastercombo::onEnter(cboSakusya, [this](const QString& typed) { AddTitleArtistName(typed); });
    mastercombo::onEnter(cboKeisai, [this](const QString& typed) { AddTitleGenreName(typed); });
}

MainScreen::~MainScreen()
{
    // The panels go before the screen's own connections do.
    disconnect(m_focusReturn);
}

void MainScreen::LoadTitleFile()
{
    ::LoadTitleFile(m_state.folder, &m_state.titles);
    LoadReadingFile(m_state.folder, &m_state.readings);
    QStringList names;
    names.reserve(m_state.titles.count());
    for (const TitleRecord& t : m_state.titles.records())
        names.append(t.name);
    m_names->setStringList(names);
    cboName->setEditText(QString());
    const QSignalBlocker quiet(hsbData);
    hsbData->setMaximum(std::max(m_state.titles.count(), 1));
}

int MainScreen::currentTitle() const
{
    return hsbData->value();
}

void MainScreen::setCurrentTitle(int k)
{
    hsbData->setValue(k);
}

void MainScreen::showTitle(int k)
{
    if (hsbData->value() == k)
        ShowCurrentTitle();
    else
        hsbData->setValue(k);
}

void MainScreen::ShowCurrentTitle()
{
    const int count = m_state.titles.count();
    int k = hsbData->value();
    QString name;
    if (count > 0 && k >= 1 && k <= count) {
        const TitleRecord& title = m_state.titles.at(k);
        name = title.name;
        cboName->setCurrentIndex(k - 1);
        cboName->setEditText(title.name);
        cboSakusya->setEditText(title.artist);
        cboKeisai->setEditText(title.genre);
        cboHyouka->setEditText(title.rating);
        showFace(title.rating);
    }
    Frame1->ShowTrackList();
    if (count == 0)
        k = 0;
    lblKensu->setText(u"%1 / %2"_s.arg(k).arg(count));
    m_cover->showCover(name);
}

void MainScreen::showFace(const QString& rating)
{
    for (QLabel* face : imgFace1)
        face->hide();
    const size_t face = rating == u"△"_s ? 2 : rating == u"○"_s ? 1 : 0;
    imgFace1[face]->show();
}

PictureCache& MainScreen::coverCache()
{
    return m_cover->cache();
}

void MainScreen::LayoutTrackGrid()
{
    Frame1->LayoutTrackGrid();
}

void MainScreen::fillRatingCombo()
{
    refill(cboHyouka, {u"◎"_s, u"○"_s, u"△"_s});
}

void MainScreen::fillArtistCombo(const QStringList& masterNames)
{
    refill(cboSakusya, namesInUsersOrder(masterNames, ReadingKind::Artist, m_state.nameMemo, m_state.readings)
                           + QStringList{collection::kCompilationArtist});
}

void MainScreen::fillGenreCombo(const QStringList& masterNames)
{
    refill(cboKeisai, masterNames);
}

bool MainScreen::acceptableNewName(const QString& name, int* cursor)
{
    // A refused name is offered again for editing, the cursor before the character
    // refused, or at the end.
    *cursor = -1;
    if (const std::optional<namerules::NameRefusal> refusal = namerules::titleNameRefusal(name)) {
        tellRefusal(m_dialogs, *refusal);
        *cursor = static_cast<int>(titlerules::firstRefusedCharacter(name));
        return false;
    }
    // A name that differs only in letter case would share the existing title's files.
    if (m_state.titles.findIgnoringCase(name) > 0) {
        m_dialogs.message(u"既に同じタイトル名で登録されているものがあります。\r\n\r\n"
                          "題名の後ろに追番やアーティスト名を入れるなどして区別して下さい"_s,
                          u"二重登録"_s, Dialogs::Icon::Exclamation);
        return false;
    }
    return true;
}

void MainScreen::NewTitle()
{
    m_state.tour.show(tour::kNewTitle);
    QString name;
    QString offered;
    int cursor = -1;
    for (;;) {
        name = cp932::storedForm(m_dialogs.input(u"タイトル名を入力して下さい"_s, u"タイトル名入力"_s, offered, cursor));
        if (name.isEmpty())
            return;
        if (acceptableNewName(name, &cursor))
            break;
        offered = name;
    }
    const WriteResult written = AppendTitle(m_state.folder, m_state.titles, titlerules::newTitle(name, QDate::currentDate()));
    if (!written.ok()) {
        tellWriteFailure(m_dialogs, written);
        return;
    }
    LoadTitleFile();
    if (m_state.titles.find(name) == 0) {
        m_dialogs.message(u"「%1」を追加しましたが、読み直したデータに見つかりません。\r\n"
                          "データ.TXT の内容を確認してください。"_s.arg(name),
                          u"書き込みエラー"_s, Dialogs::Icon::Exclamation);
        showTitle(std::max(currentTitle(), 1));
        return;
    }
    cboName->setEditText(name);
    cboSakusya->setEditText(collection::kNotEntered);
    cboHyouka->setEditText(collection::kUnrated);
    showTitle(m_state.titles.count());
    m_state.CatalogueReady = false;
    m_state.tour.show(tour::kNewTitleAdded);
    m_state.tour.show(tour::kNewTitlePicture);
    m_state.tour.show(tour::kNewTitleTracks);
}

void MainScreen::DeleteTitle()
{
    const QString name = typedText(*cboName);
    const int p = titleNamedOrTell(m_state.titles, name, m_dialogs);
    if (p == 0)
        return;
    if (m_dialogs.message(name + u"のデータを削除していいですか？"_s, u"削除確認"_s, Dialogs::Icon::Exclamation,
                          Dialogs::Buttons::OkCancel, Dialogs::Answer::Cancel)
        != Dialogs::Answer::Ok)
        return;

    if (m_state.folder.isReadOnly()) {
        tellWriteFailure(m_dialogs, m_state.folder.readOnlyRefusal(files::kTitles));
        return;
    }
    // The title's own files and its record are put aside where the user can find them
    // again, and the title file is rewritten only once they are there; if anything
    // fails, the files go back and nothing has changed. A kill before the title file is
    // rewritten has the next start put them back, one after it has the deletion kept.
    const int oldCount = m_state.titles.count();
    std::vector<TitleRecord> rest = m_state.titles.records();
    rest.erase(rest.begin() + (p - 1));
    SetAside aside(m_state.folder);
    WriteResult written = aside.open(files::kDeletedPrefix, QDateTime::currentDateTime());
    if (written.ok())
        written = aside.begin(u"タイトル「%1」の削除"_s.arg(name), {files::kTitles}, {files::kDeletedRecord});
    if (written.ok())
        written = aside.move(titlerules::filesDeletedWithTitle(name));
    if (written.ok())
        written = aside.writeText(files::kDeletedRecord, TitleRecordText(m_state.titles.at(p)));
    // With the readings as they stood, the title's among them.
    if (written.ok())
        written = aside.copy(readingfile::kName);
    if (written.ok()) {
        aside.sync();
        written = SaveTitleFile(m_state.folder, rest);
    }
    if (!written.ok()) {
        const QString notBack = aside.undo();
        m_dialogs.message(written.message() + notBack, written.title(), Dialogs::Icon::Exclamation);
        return;
    }
    aside.keep();

    LoadTitleFile();
    m_state.CatalogueReady = false;
    if (m_state.titles.count() > 0) {
        showTitle(titlerules::positionAfterDeletion(p, oldCount));
        return;
    }
    // The last title is gone: the screen shows an empty collection.
    for (QComboBox* box : {cboSakusya, cboKeisai, cboHyouka})
        box->setEditText(QString());
    for (QLabel* face : imgFace1)
        face->hide();
    showTitle(1);
}

void MainScreen::AddTitleArtistName(const QString& typed)
{
    addTitleName(cboSakusya, typed, Master::Artist, &TitleTable::setArtist);
}

void MainScreen::AddTitleGenreName(const QString& typed)
{
    addTitleName(cboKeisai, typed, Master::TitleGenre, &TitleTable::setGenre);
}

void MainScreen::addTitleName(QComboBox* combo, const QString& name, Master master,
                              void (TitleTable::*set)(int, const QString&))
{
    if (name.isEmpty())
        return;
    if (!mastercombo::acceptable(name, m_dialogs))
        return;
    // With no titles there is nothing to store the name in; it still reaches the master.
    if (m_state.titles.count() > 0) {
        if (!storeInCurrentTitle(set, name))
            return;
        m_dialogs.beep();
    }
    mastercombo::addIfNew(combo, master, name, m_state.folder, m_dialogs);
}

void MainScreen::attributeChosen(QComboBox* combo, int index, void (TitleTable::*set)(int, const QString&),
                                 QString TitleRecord::*field)
{
    // With no titles a choice has nothing to go into: the box goes back to showing none.
    if (m_state.titles.count() == 0) {
        combo->setEditText(QString());
        return;
    }
    const bool stored = storeInCurrentTitle(set, combo->itemText(index));
    const QString value = m_state.titles.at(currentTitle()).*field;
    combo->setEditText(value);
    if (stored && field == &TitleRecord::rating)
        showFace(value);
}

void MainScreen::switchRating()
{
    if (m_state.titles.count() == 0)
        return;
    const QString next = nextRating(m_state.titles.at(currentTitle()).rating);
    if (!storeInCurrentTitle(&TitleTable::setRating, next))
        return;
    cboHyouka->setEditText(next);
    showFace(next);
}

bool MainScreen::storeInCurrentTitle(void (TitleTable::*set)(int, const QString&), const QString& value)
{
    // The table takes the value only once the file holds it.
    const int k = currentTitle();
    const QString artistBefore = m_state.titles.at(k).artist;
    TitleTable changed = m_state.titles;
    (changed.*set)(k, value);
    const WriteResult written = SaveTitleFile(m_state.folder, changed);
    if (!written.ok()) {
        tellWriteFailure(m_dialogs, written);
        return false;
    }
    m_state.titles = std::move(changed);
    // The track grid of a compilation has a column of song artists that a plain title's
    // lacks; every reader of the grid goes by the artist box, so the grid follows at once.
    const QString artist = m_state.titles.at(k).artist;
    if ((artistBefore == collection::kCompilationArtist) != (artist == collection::kCompilationArtist))
        Frame1->ShowTrackList();
    return true;
}

bool MainScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) {
        const bool open = event->type() == QEvent::ShowToParent;
        if (watched == fraKashi1)
            imgGazou->setVisible(!open);
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* face = qobject_cast<QLabel*>(watched);
        const auto* release = static_cast<QMouseEvent*>(event);
        if (face && std::find(imgFace1.begin(), imgFace1.end(), face) != imgFace1.end()
            && release->button() == Qt::LeftButton && face->rect().contains(release->position().toPoint())) {
            switchRating();
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}
