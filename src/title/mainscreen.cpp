#include "mainscreen.h"

#include "app/appstate.h"
#include "platform/grid.h"
#include "platform/picturebox.h"
#include "store/collectionfiles.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QStringListModel>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kCompilationArtist = u"複数"_s;

template <typename T>
T* named(T* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

// An editable combo that never completes typed text into another entry and never adds
// what is typed on its own: the screens decide what becomes an entry.
QComboBox* editableCombo(const QString& name)
{
    auto* combo = named(new QComboBox, name);
    combo->setEditable(true);
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMaxVisibleItems(20);
    return combo;
}

// Replaces a combo's list; the text on show (the current title's value) stays.
void refill(QComboBox* combo, const QStringList& items)
{
    const QString shown = combo->currentText();
    combo->clear();
    combo->addItems(items);
    combo->setEditText(shown);
}

} // namespace

MainScreen::MainScreen(AppState& state, QWidget* parent)
    : QFrame(parent)
    , m_state(state)
    , m_names(new QStringListModel(this))
{
    setObjectName(u"fraMain"_s);

    cboName = editableCombo(u"cboName"_s);
    cboName->setModel(m_names);
    // Tens of thousands of names: the box is not sized by measuring each of them.
    cboName->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cboName->setMinimumContentsLength(20);
    if (auto* view = qobject_cast<QListView*>(cboName->view()))
        view->setUniformItemSizes(true);
    QFont big = cboName->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    cboName->setFont(big);

    hsbData = named(new QScrollBar(Qt::Horizontal), u"hsbData"_s);
    hsbData->setRange(1, 1);
    hsbData->setSingleStep(1);
    hsbData->setPageStep(10);
    // While the box is dragged nothing happens; the title is shown once it is released.
    hsbData->setTracking(false);
    // Right arrow and wheel down go to the next title (a scroll bar inverts them).
    hsbData->setInvertedControls(false);

    lblKensu = named(new QLabel, u"lblKensu"_s);
    lblKensu->setMinimumWidth(130);
    lblKensu->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblKensu->setFont(big);

    Frame2 = named(new QGroupBox, u"Frame2"_s);
    cboSakusya = editableCombo(u"cboSakusya"_s);
    cboKeisai = editableCombo(u"cboKeisai"_s);
    // The rating box shows "未" for an unrated title, a text its list does not hold.
    cboHyouka = editableCombo(u"cboHyouka"_s);
    auto* frame2Layout = new QGridLayout(Frame2);
    const QString labels[] = {u"アーティスト"_s, u"ジャンル"_s, u"評価"_s};
    QComboBox* combos[] = {cboSakusya, cboKeisai, cboHyouka};
    for (int i = 0; i < 3; ++i) {
        frame2Layout->addWidget(new QLabel(labels[i]), i, 0);
        frame2Layout->addWidget(combos[i], i, 1);
    }
    frame2Layout->setColumnStretch(1, 1);

    Frame3 = named(new QGroupBox, u"Frame3"_s);
    Frame3->setFixedWidth(88);
    auto* frame3Layout = new QVBoxLayout(Frame3);
    for (int i = 0; i < 3; ++i) {
        imgFace1[static_cast<size_t>(i)] = named(new QLabel, u"imgFace1_%1"_s.arg(i));
        QLabel* face = imgFace1[static_cast<size_t>(i)];
        face->setPixmap(QPixmap(u":/icons/face%1.png"_s.arg(i)).scaled(56, 56, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        face->setAlignment(Qt::AlignCenter);
        face->hide();
        frame3Layout->addWidget(face);
    }

    imgGazou = named(new PictureBox, u"imgGazou"_s);
    imgGazou->setFixedSize(360, 360);
    imgGazou->setFrameShape(QFrame::StyledPanel);
    imgGazou->setToolTip(u"クリックすると画像を取り込めます"_s);
    imgGazou->setCursor(Qt::PointingHandCursor);

    Frame1 = named(new QGroupBox, u"Frame1"_s);
    msgKyokumoku = named(new Grid, u"msgKyokumoku"_s);
    cmdHensyu = named(new QPushButton(u"曲目登録"_s), u"cmdHensyu"_s);
    txtKasyu = named(new QLineEdit, u"txtKasyu"_s);
    txtKasyu->hide();
    auto* frame1Layout = new QVBoxLayout(Frame1);
    frame1Layout->addWidget(msgKyokumoku, 1);
    auto* trackButtons = new QHBoxLayout;
    trackButtons->addWidget(cmdHensyu);
    trackButtons->addStretch(1);
    frame1Layout->addLayout(trackButtons);
    frame1Layout->addWidget(txtKasyu);

    auto* top = new QHBoxLayout;
    top->addWidget(cboName, 1);
    top->addWidget(lblKensu);

    auto* attributes = new QHBoxLayout;
    attributes->addWidget(Frame2, 1);
    attributes->addWidget(Frame3);

    auto* left = new QVBoxLayout;
    left->addLayout(attributes);
    left->addWidget(Frame1, 1);

    auto* right = new QVBoxLayout;
    right->addWidget(imgGazou);
    right->addStretch(1);

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
}

void MainScreen::LoadTitleFile()
{
    ::LoadTitleFile(m_state.folder, &m_state.titles);
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
        for (QLabel* face : imgFace1)
            face->hide();
        const size_t face = title.rating == u"△"_s ? 2 : title.rating == u"○"_s ? 1 : 0;
        imgFace1[face]->show();
    }
    LayoutTrackGrid();
    if (count == 0)
        k = 0;
    lblKensu->setText(u"%1 / %2"_s.arg(k).arg(count));
    showCover(name);
}

void MainScreen::showCover(const QString& titleName)
{
    // Each picture that loads replaces the one before, so a ".bmp" wins over a ".gif"
    // and a ".gif" over a ".jpg".
    imgGazou->clearPicture();
    for (const QString& extension : {u".jpg"_s, u".gif"_s, u".bmp"_s}) {
        const QString file = titleName + extension;
        if (m_state.folder.exists(file))
            imgGazou->load(m_state.folder.filePath(file));
    }
    if (imgGazou->isEmpty() && m_state.folder.exists(files::kNoPicture))
        imgGazou->load(m_state.folder.filePath(files::kNoPicture));
}

void MainScreen::LayoutTrackGrid()
{
    Grid* g = msgKyokumoku;
    g->setRows(1);
    g->setCols(3);
    const QString headers[] = {u"順"_s, u"曲名"_s, u"詩"_s};
    const int widths[] = {440, 4830, 460};
    const Qt::Alignment alignments[] = {Qt::AlignHCenter, Qt::AlignLeft, Qt::AlignHCenter};
    for (int c = 0; c < 3; ++c) {
        g->setText(0, c, headers[c]);
        g->setColWidth(c, widths[c]);
        g->setColAlignment(c, alignments[c]);
        g->setHeaderAlignment(c, Qt::AlignHCenter);
    }
    g->setCurrentCell(0, 0);
}

void MainScreen::fillRatingCombo()
{
    refill(cboHyouka, {u"◎"_s, u"○"_s, u"△"_s});
}

void MainScreen::fillArtistCombo(const QStringList& masterNames)
{
    refill(cboSakusya, masterNames + QStringList{kCompilationArtist});
}

void MainScreen::fillGenreCombo(const QStringList& masterNames)
{
    refill(cboKeisai, masterNames);
}
