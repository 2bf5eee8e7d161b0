#include "titlesearch.h"

#include "app/appstate.h"
#include "app/navigator.h"
#include "app/tell.h"
#include "lists/nameorder.h"
#include "lists/readingorder.h"
#include "lists/searchrules.h"
#include "platform/captioned.h"
#include "platform/named.h"
#include "platform/repaint.h"
#include "store/collectionnames.h"
#include "store/masterlist.h"
#include "upkeep/tourtexts.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QScopeGuard>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;
using searchrules::Match;
using searchrules::TitleField;

ChoiceList::ChoiceList(QWidget* parent)
    : QListWidget(parent)
{
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { emit chosen(item->text()); });
}

void ChoiceList::keyPressEvent(QKeyEvent* event)
{
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() != before && currentItem())
        emit chosen(currentItem()->text());
}

void ChoiceList::keyboardSearch(const QString& search)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    // Letters typed in quick succession add up to one search, as in Qt's own.
    const bool goesOn = now - m_typedAt <= QApplication::keyboardInputInterval();
    // Counted from when this letter is dealt with: a slow first look does not cut the
    // letters typed meanwhile off from it.
    const auto dealtWith = qScopeGuard([this] { m_typedAt = QDateTime::currentMSecsSinceEpoch(); });
    const QString typed = goesOn ? m_typed + search : search;
    const auto passes = typeAhead && !search.isEmpty() ? typeAhead(typed) : std::function<bool(const QString&)>();
    if (!passes) {
        m_typed.clear();
        QListWidget::keyboardSearch(search);
        return;
    }
    m_typed = typed;
    if (count() == 0)
        return;
    // A search that goes on may stay on the current item; a new one starts at the next.
    const int current = std::max(currentRow(), 0);
    const int first = goesOn ? current : (current + 1) % count();
    for (int i = 0; i < count(); ++i) {
        const int r = (first + i) % count();
        if (passes(item(r)->text())) {
            setCurrentRow(r);
            return;
        }
    }
}

void fitRows(QListWidget* list)
{
    // Rows drawn from a fallback typeface (kanji among Latin text) are the tallest.
    int row = 0;
    for (int i = 0; i < list->count(); ++i)
        row = std::max(row, list->sizeHintForRow(i));
    list->setFixedHeight(row * list->count() + 2 * list->frameWidth() + 2);
}

TitleSearch::TitleSearch(AppState& state, Navigator& navigator, QWidget* parent)
    : QFrame(parent)
    , m_state(state)
    , m_navigator(navigator)
{
    setObjectName(u"fraKensaku"_s);
    setFrameShape(QFrame::StyledPanel);

    fraKenKoumoku = named(new QGroupBox(u"検索項目"_s), u"fraKenKoumoku"_s);
    txtNamae = named(new QLineEdit, u"txtNamae"_s);
    lstSakusya = named(new ChoiceList, u"lstSakusya"_s, u"アーティスト"_s);
    lstKeisai = named(new ChoiceList, u"lstKeisai"_s, u"ジャンル"_s);
    lstHyouka = named(new ChoiceList, u"lstHyouka"_s, u"評価"_s);
    cboMedia2 = named(new QComboBox, u"cboMedia2"_s);
    txtHizuk = named(new QLineEdit, u"txtHizuk"_s);
    txtMemok = named(new QLineEdit, u"txtMemok"_s);
    chkFuzzy = fuzzySwitch(u"chkFuzzy"_s);
    fraKensu = named(new QGroupBox(u"検索件数"_s), u"fraKensu"_s);
    lstDaimei = named(new ChoiceList, u"lstDaimei"_s, u"検索結果のタイトル"_s);
    lstDaimei->setUniformItemSizes(true);
    cboMedia2->setMinimumWidth(150);

    auto* lists = new QHBoxLayout;
    lists->addLayout(captioned(u"アーティスト"_s, lstSakusya, 1), 3);
    lists->addLayout(captioned(u"ジャンル"_s, lstKeisai, 1), 2);
    auto* ratingAndMedia = captioned(u"評価"_s, lstHyouka);
    ratingAndMedia->addSpacing(8);
    ratingAndMedia->addLayout(captioned(u"メディア"_s, cboMedia2));
    ratingAndMedia->addStretch(1);
    lists->addLayout(ratingAndMedia, 1);
    auto* keys = new QGridLayout;
    const std::pair<QString, QLineEdit*> keyBoxes[] = {
        {u"題名キー"_s, txtNamae}, {u"日付キー"_s, txtHizuk}, {u"メモキー"_s, txtMemok}};
    int row = 0;
    for (const auto& [caption, box] : keyBoxes) {
        auto* label = new QLabel(caption);
        label->setBuddy(box);
        keys->addWidget(label, row, 0);
        keys->addWidget(box, row, 1);
        box->installEventFilter(this);
        ++row;
    }
    keys->addWidget(new QLabel(u"語句を入力して Enter キーを押すと、その語句を含むタイトルを探します。"_s), row, 1);
    keys->addWidget(chkFuzzy, ++row, 1);
    auto* fields = new QVBoxLayout(fraKenKoumoku);
    fields->addLayout(keys);
    fields->addSpacing(6);
    fields->addLayout(lists, 1);

    (new QVBoxLayout(fraKensu))->addWidget(lstDaimei);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(fraKensu, 2);
    layout->addWidget(fraKenKoumoku, 3);

    const std::pair<ChoiceList*, TitleField> choices[] = {
        {lstSakusya, TitleField::Artist}, {lstKeisai, TitleField::Genre}, {lstHyouka, TitleField::Rating}};
    for (const auto& [list, field] : choices) {
        connect(list, &ChoiceList::chosen, this, [this, list = list, field = field](const QString& item) {
            keepOnly(list);
            showFound(searchrules::titlesWhere(m_state.titles, field, Match::Equals, item));
        });
    }
    connect(cboMedia2, &QComboBox::activated, this, [this](int index) {
        keepOnly(cboMedia2);
        showFound(searchrules::titlesWhere(m_state.titles, TitleField::Media, Match::Equals, cboMedia2->itemText(index)));
    });
    const std::pair<ChoiceList*, std::optional<ReadingKind>> typedOn[] = {
        {lstDaimei, ReadingKind::Title}, {lstSakusya, ReadingKind::Artist}, {lstKeisai, std::nullopt}};
    for (const auto& [list, kind] : typedOn) {
        list->typeAhead = [this, kind = kind](const QString& typed) {
            return fuzzyTypeAhead(typed, kind, m_state.nameMemo, m_state.readings);
        };
    }
    connect(lstDaimei, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { m_navigator.ShowTitleByName(item->text()); });
}

void TitleSearch::ShowTitleSearch()
{
    show();
    repaintNow();
    cboMedia2->clear();
    cboMedia2->addItems(ReadMaster(m_state.folder, Master::Media));
    cboMedia2->setCurrentIndex(-1);
    QStringList names;
    names.reserve(m_state.titles.count());
    for (const TitleRecord& t : m_state.titles.records())
        names.append(t.name);
    showFound(names);
    showFuzzySwitch(chkFuzzy);
    lstSakusya->clear();
    lstSakusya->addItems(
        namesInUsersOrder(ReadMaster(m_state.folder, Master::Artist), ReadingKind::Artist, m_state.nameMemo, m_state.readings));
    lstKeisai->clear();
    lstKeisai->addItems(ReadMaster(m_state.folder, Master::TitleGenre));
    lstHyouka->clear();
    lstHyouka->addItems({u"◎"_s, u"○"_s, u"△"_s, collection::kUnrated});
    fitRows(lstHyouka);
    repaintNow();
    // The list is up: the names' keys are made now, not at the first click.
    m_state.nameMemo.prepareTitles(m_state.titles.records(), m_state.readings, false);
    m_state.tour.show(tour::kTitleSearch);
}

void TitleSearch::showFound(const QStringList& names)
{
    lstDaimei->clear();
    lstDaimei->addItems(names);
    fraKensu->setTitle(searchrules::resultCount(lstDaimei->count()));
}

void TitleSearch::keepOnly(const QWidget* criterion)
{
    // A search is by one field: the other lists lose their choice and the other key
    // boxes their text, so that the screen shows only what was searched for.
    for (QListWidget* list : {lstSakusya, lstKeisai, lstHyouka}) {
        if (list != criterion) {
            list->clearSelection();
            list->setCurrentItem(nullptr);
        }
    }
    if (cboMedia2 != criterion)
        cboMedia2->setCurrentIndex(-1);
    for (QLineEdit* box : {txtNamae, txtHizuk, txtMemok}) {
        if (box != criterion)
            box->clear();
    }
}

bool TitleSearch::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in a key box that holds a key searches and goes no further; in an empty box
    // it is left to the box, and the results stay as they are.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const std::pair<QLineEdit*, TitleField> keyBoxes[] = {
            {txtNamae, TitleField::Name}, {txtHizuk, TitleField::Date}, {txtMemok, TitleField::Memo}};
        for (const auto& [box, field] : keyBoxes) {
            if (watched != box || (key != Qt::Key_Return && key != Qt::Key_Enter))
                continue;
            const QString typed = typedText(*box);
            if (typed.isEmpty())
                break;
            keepOnly(box);
            if (chkFuzzy->isChecked()) {
                const FuzzyNameQuery query(m_state.nameMemo, m_state.readings, typed);
                showFound(searchrules::titlesFound(m_state.titles, field, query));
            } else {
                showFound(searchrules::titlesWhere(m_state.titles, field, Match::Contains, typed));
            }
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}
