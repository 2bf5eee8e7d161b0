#include "trackentry.h"

#include "app/appstate.h"
#include "app/tell.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "platform/named.h"
#include "platform/repaint.h"
#include "store/collectionfiles.h"
#include "store/collectionnames.h"
#include "store/filelisting.h"
#include "store/namerules.h"
#include "store/records.h"
#include "tracks/trackrules.h"
#include "upkeep/tourtexts.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;
using trackrules::Track;

namespace {

const QString kCutEntries[] = {u".（ピリオド）"_s, u",（カンマ）"_s, u"-（ハイフォン）"_s};

// names: the columns that share the room the others leave.
void layOut(Grid* g, const QStringList& headers, const QList<int>& widths, const QList<Qt::Alignment>& alignments,
            const QList<int>& names)
{
    g->setRows(1);
    g->setCols(static_cast<int>(headers.size()));
    for (int c = 0; c < headers.size(); ++c) {
        g->setText(0, c, headers[c]);
        g->setColWidth(c, widths[c]);
        g->setColFills(c, names.contains(c));
        g->setColAlignment(c, alignments[c]);
        g->setHeaderAlignment(c, Qt::AlignHCenter);
    }
    g->setCurrentCell(0, 0);
}

} // namespace

TrackEntry::TrackEntry(AppState& state, Dialogs& dialogs, FileListing& lyrics, QComboBox& nameBox, QScrollBar& position,
                       QWidget* parent)
    : QGroupBox(parent)
    , m_state(state)
    , m_dialogs(dialogs)
    , m_lyrics(lyrics)
    , m_nameBox(nameBox)
    , m_position(position)
{
    setObjectName(u"Frame1"_s);
    msgKyokumoku = named(new Grid, u"msgKyokumoku"_s, u"曲目"_s);
    cmdHensyu = named(new QPushButton(u"曲目登録"_s), u"cmdHensyu"_s);
    txtKasyu = named(new QPlainTextEdit, u"txtKasyu"_s);
    txtKasyu->hide();

    fraHensyu = named(new QWidget, u"fraHensyu"_s);
    txtKyokuHen = named(new QPlainTextEdit, u"txtKyokuHen"_s);
    txtKyokuHen->setTabChangesFocus(true);
    // Long lines wrap at the box's edge; the cut still goes by the lines as typed.
    txtKyokuHen->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    cboTrim = named(new QComboBox, u"cboTrim"_s);
    cboTrim->setEditable(true);
    cboTrim->setCompleter(nullptr);
    cboTrim->setInsertPolicy(QComboBox::NoInsert);
    cboTrim->setMinimumWidth(170);
    Label4 = named(new QLabel(u"← この文字より先頭を無視する"_s), u"Label4"_s);
    cmdKakutei = named(new QPushButton(u"登録確定"_s), u"cmdKakutei"_s);
    cmdCansel = named(new QPushButton(u"キャンセル"_s), u"cmdCansel"_s);
    cmdKasyu = named(new QPushButton(u"歌手名リスト"_s), u"cmdKasyu"_s);
    // The artist names, one "/name" a line, to copy from while typing a compilation.
    txtKasyu->setReadOnly(true);
    txtKasyu->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    auto* cutRow = new QHBoxLayout;
    cutRow->addWidget(cboTrim);
    cutRow->addWidget(Label4, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdKakutei);
    buttons->addWidget(cmdCansel);
    buttons->addWidget(cmdKasyu);
    buttons->addStretch(1);
    auto* entry = new QVBoxLayout(fraHensyu);
    entry->setContentsMargins(0, 0, 0, 0);
    entry->addLayout(cutRow);
    entry->addWidget(txtKyokuHen, 1);
    entry->addLayout(buttons);
    fraHensyu->hide();

    auto* gridColumn = new QVBoxLayout;
    gridColumn->addWidget(msgKyokumoku, 1);
    auto* gridButtons = new QHBoxLayout;
    gridButtons->addWidget(cmdHensyu);
    gridButtons->addStretch(1);
    gridColumn->addLayout(gridButtons);
    // The entry column takes room only while something in it is shown.
    m_entryColumn = new QWidget;
    auto* entryColumn = new QVBoxLayout(m_entryColumn);
    entryColumn->setContentsMargins(0, 0, 0, 0);
    entryColumn->addWidget(fraHensyu, 1);
    entryColumn->addWidget(txtKasyu, 1);
    m_entryColumn->hide();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(gridColumn, 3);
    layout->addWidget(m_entryColumn, 2);

    setEditing(false);
    connect(cmdHensyu, &QPushButton::clicked, this, &TrackEntry::cmdHensyu_Click);
    connect(cmdKakutei, &QPushButton::clicked, this, &TrackEntry::cmdKakutei_Click);
    connect(cmdCansel, &QPushButton::clicked, this, &TrackEntry::cmdCansel_Click);
    connect(cmdKasyu, &QPushButton::clicked, this, &TrackEntry::cmdKasyu_Click);
}

bool TrackEntry::isCompilation() const
{
    return titleArtist() == collection::kCompilationArtist;
}

// The artist of the title on screen as the title file holds it. A name typed into the
// artist box counts once it is confirmed (Enter or a choice): lyrics and songs are never
// filed under text the title does not hold, nor a plain title's lyrics mark taken for
// an artist.
QString TrackEntry::titleArtist() const
{
    const int k = m_position.value();
    return k >= 1 && k <= m_state.titles.count() ? m_state.titles.at(k).artist : QString();
}

QString TrackEntry::artistOfRow(int row)
{
    return isCompilation() ? msgKyokumoku->text(row, 2) : titleArtist();
}

void TrackEntry::LayoutTrackGrid()
{
    layOut(msgKyokumoku, {u"順"_s, u"曲名"_s, u"詩"_s}, {440, 4830, 460},
           {Qt::AlignHCenter, Qt::AlignLeft, Qt::AlignHCenter}, {1});
    // The song search results are emptied with it (its layout has no routine of its own).
    if (m_songSearchGrid) {
        layOut(m_songSearchGrid, {u"曲名"_s, u"詩"_s, QString()}, {4280, 410, 0},
               {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignLeft}, {0});
    }
}

void TrackEntry::LayoutCompilationTrackGrid()
{
    layOut(msgKyokumoku, {u"順"_s, u"曲名"_s, u"アーティスト"_s, u"詩"_s}, {440, 2880, 1950, 460},
           {Qt::AlignHCenter, Qt::AlignLeft, Qt::AlignLeft, Qt::AlignHCenter}, {1, 2});
}

void TrackEntry::ShowTrackList()
{
    const bool compilation = isCompilation();
    if (compilation)
        LayoutCompilationTrackGrid();
    else
        LayoutTrackGrid();
    cmdHensyu->setText(u"曲目登録"_s);
    const int k = m_position.value();
    if (k < 1 || k > m_state.titles.count()) {
        m_gridList = {};
        return;
    }
    const std::optional<QString> text = m_gridList.read(m_state.folder, files::trackListFile(m_state.titles.at(k).name));
    if (!text)
        return;
    const std::vector<Track> tracks = trackrules::tracksOfLines(splitLines(*text), compilation);
    std::vector<QStringList> rows;
    rows.reserve(tracks.size());
    int r = 0;
    for (const Track& t : tracks) {
        ++r;
        rows.push_back(compilation ? QStringList{trackrules::trackNumber(r), t.song, t.artist, QString()}
                                   : QStringList{trackrules::trackNumber(r), t.song, QString()});
    }
    msgKyokumoku->setDataRows(std::move(rows));
    cmdHensyu->setText(u"曲目編集"_s);
    markLyrics();
}

void TrackEntry::markLyrics()
{
    const int markColumn = msgKyokumoku->cols() - 1;
    for (int r = 1; r < msgKyokumoku->rows(); ++r) {
        if (m_lyrics.contains(namerules::lyricsFileName(msgKyokumoku->text(r, 1), artistOfRow(r))))
            msgKyokumoku->setText(r, markColumn, u"○"_s);
    }
}

void TrackEntry::setEditing(bool editing)
{
    // The keyboard goes to the memo, and back to the button that opened it; the window's
    // own focus is asked, as a question just closed may not have given it back yet.
    QWidget* const focus = window()->focusWidget();
    const bool focusInEntry = focus && (editing ? focus == cmdHensyu : fraHensyu->isAncestorOf(focus));
    if (editing) {
        fraHensyu->setVisible(true);
        m_entryColumn->setVisible(true);
        if (focusInEntry)
            txtKyokuHen->setFocus(Qt::OtherFocusReason);
        cmdHensyu->setEnabled(false);
    } else {
        cmdHensyu->setEnabled(true);
        if (focusInEntry)
            cmdHensyu->setFocus(Qt::OtherFocusReason);
        fraHensyu->setVisible(false);
        m_entryColumn->setVisible(false);
    }
    cmdKakutei->setEnabled(editing);
    cmdKasyu->setEnabled(editing);
    cmdCansel->setEnabled(editing);
    if (!editing)
        txtKasyu->hide();
}

void TrackEntry::cmdHensyu_Click()
{
    const bool compilation = isCompilation();
    std::vector<Track> tracks;
    for (int r = 1; r < msgKyokumoku->rows(); ++r)
        tracks.push_back({msgKyokumoku->text(r, 1), compilation ? msgKyokumoku->text(r, 2) : QString()});
    QString memo = trackrules::memoOfTracks(tracks, compilation);
    memo.replace(u"\r\n"_s, u"\n"_s);
    txtKyokuHen->setPlainText(memo);
    m_filledLines = trackrules::memoLines(memo);
    m_memoList = m_gridList;
    const int k = m_position.value();
    m_memoTitle = k >= 1 && k <= m_state.titles.count() ? m_state.titles.at(k).name : QString();

    cboTrim->clear();
    for (const QString& entry : kCutEntries)
        cboTrim->addItem(entry);
    cboTrim->setEditText(kCutEntries[0]);

    setEditing(true);
    repaintNow();

    if (txtKyokuHen->toPlainText().isEmpty() && cmdHensyu->text() == u"曲目登録"_s
        && m_state.tour.HelpTourOn() == 1) {
        QString example = tour::kTrackEntryExample;
        txtKyokuHen->setPlainText(example.replace(u"\r\n"_s, u"\n"_s));
    }
    m_state.tour.show(tour::kTrackEntry);
}

void TrackEntry::cmdKakutei_Click()
{
    const int k = titleNamedOrTell(m_state.titles, typedText(m_nameBox), m_dialogs);
    if (k == 0)
        return;
    const QString title = m_state.titles.at(k).name;
    // The memo keeps its text when another title is shown; the list goes to the title the
    // name box names, but never without the user knowing it is not the memo's own.
    if (!m_memoTitle.isEmpty() && title != m_memoTitle) {
        const QString question = u"このメモは「%1」の曲目として開いたものです。\r\n\r\n"
                                 "「%2」の曲目として登録し、「%2」の曲目を置き換えますか？"_s.arg(m_memoTitle, title);
        if (m_dialogs.message(question, u"登録先の確認"_s, Dialogs::Icon::Question, Dialogs::Buttons::YesNo,
                              Dialogs::Answer::No)
            != Dialogs::Answer::Yes)
            return;
    }
    // The memo's own list is written over only what it was filled from.
    const auto mayWrite = [&] { return title != m_memoTitle || m_memoList.mayOverwrite(m_state.folder, m_dialogs); };
    const QString trackFile = files::trackListFile(title);
    QString memo = typedText(*txtKyokuHen);

    if (memo.isEmpty()) {
        if (!mayWrite())
            return;
        const WriteResult written = m_state.folder.rewrite(trackFile, QString());
        if (!written.ok()) {
            tellWriteFailure(m_dialogs, written);
            return;
        }
        if (title == m_memoTitle)
            m_memoList.wrote(QString());
        // The grid empties only when it shows the title written to.
        if (k == m_position.value()) {
            msgKyokumoku->setRows(1);
            m_gridList.wrote(QString());
        }
        return;
    }

    // The artist of the title the list goes to, also when the name box names another.
    const QString artist = m_state.titles.at(k).artist;
    if (artist == collection::kNotEntered) {
        const QString m1 = u"アーティスト名が未登録です。\r\n\r\n"
                           "未登録のままでよければＯＫボタンを押してください。\r\n\r\n"
                           "先にアーティスト名を登録したい場合はキャンセルボタンを押してください。\r\n"_s;
        if (m_dialogs.message(m1, u"印刷確認"_s, Dialogs::Icon::Exclamation, Dialogs::Buttons::OkCancel)
            != Dialogs::Answer::Ok)
            return;
    }

    // What the files cannot hold is refused before anything is written.
    const bool compilation = artist == collection::kCompilationArtist;
    if (const std::optional<namerules::NameRefusal> refusal = namerules::trackListRefusal(memo, compilation)) {
        tellRefusal(m_dialogs, *refusal);
        return;
    }
    // The artist is the title's as stored (the Windows program takes pasted tabs); only
    // what would break the song records is refused.
    if (const std::optional<TextRefusal> refusal = refusalOf(artist, {.asField = true})) {
        tellRefusal(m_dialogs, *refusal);
        return;
    }

    if (!mayWrite())
        return;
    if (!memo.endsWith(u'\n')) {
        memo += u'\n';
        txtKyokuHen->setPlainText(memo);
    }
    const BusyPointer busy(m_dialogs);
    const QString cut = trackrules::cutCharacter(typedText(*cboTrim));
    const QStringList lines =
        trackrules::cutLines(trackrules::memoLines(memo), cut, m_filledLines, trackrules::cutCharacter(kCutEntries[0]));

    // The list and the songs new to the track data are written together, or neither.
    const std::vector<TrackRecord> added =
        trackrules::newTrackRecords(trackrules::tracksOfLines(lines, compilation), compilation, artist, m_state.tracks);
    const WriteResult written = WriteTrackList(m_state.folder, m_state.tracks, trackFile, joinLines(lines), added);
    if (!written.ok()) {
        tellWriteFailure(m_dialogs, written);
        return;
    }
    if (!added.empty())
        LoadTrackTable(m_state.folder, &m_state.tracks);
    ShowTrackList();
    setEditing(false);
    m_state.tour.show(tour::kTracksRegistered);
}

void TrackEntry::cmdCansel_Click()
{
    setEditing(false);
}

void TrackEntry::cmdKasyu_Click()
{
    QString list = trackrules::artistNameList(m_state.tracks);
    txtKasyu->setPlainText(list.replace(u"\r\n"_s, u"\n"_s));
    txtKasyu->show();
}
