#include "lyricssearch.h"

#include "app/appstate.h"
#include "app/tell.h"
#include "lists/searchrules.h"
#include "lyrics/lyricspanel.h"
#include "lyrics/lyricsprint.h"
#include "lyrics/lyricsrules.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "platform/named.h"
#include "store/filelisting.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;
namespace col = searchrules::foundcol;

LyricsSearch::LyricsSearch(AppState& state, Dialogs& dialogs, Printer& printer, Grid& results, FileListing& lyrics,
                           QWidget* parent)
    : QGroupBox(u"歌詞"_s, parent)
    , m_state(state)
    , m_dialogs(dialogs)
    , m_printer(printer)
    , m_results(results)
    , m_lyrics(lyrics)
{
    setObjectName(u"Frame7"_s);
    txtKashi2 = named(new QPlainTextEdit, u"txtKashi2"_s);
    txtKashi2->setTabChangesFocus(true);
    // The occurrence found stays marked while the key box has the keyboard.
    QPalette palette = txtKashi2->palette();
    palette.setBrush(QPalette::Inactive, QPalette::Highlight, palette.brush(QPalette::Active, QPalette::Highlight));
    palette.setBrush(QPalette::Inactive, QPalette::HighlightedText,
                     palette.brush(QPalette::Active, QPalette::HighlightedText));
    txtKashi2->setPalette(palette);
    Label1 = named(new QLabel(u"キー"_s), u"Label1"_s);
    txtKashiKey2 = named(new QLineEdit, u"txtKashiKey2"_s);
    Label1->setBuddy(txtKashiKey2);
    cmdKashiKen = named(new QPushButton(u"検索"_s), u"cmdKashiKen"_s);
    lblKenken = named(new QLabel(u"0"_s), u"lblKenken"_s);
    lblKenken->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblKenken->setMinimumWidth(lblKenken->fontMetrics().horizontalAdvance(u"00000"_s));
    Label2 = named(new QLabel(u"件"_s), u"Label2"_s);
    cmdKashiPrint = named(new QPushButton(u"印刷"_s), u"cmdKashiPrint"_s);
    cmdKashiHozon = named(new QPushButton(u"保存"_s), u"cmdKashiHozon"_s);

    auto* search = new QHBoxLayout;
    search->addWidget(Label1);
    search->addWidget(txtKashiKey2, 1);
    search->addWidget(cmdKashiKen);
    search->addWidget(lblKenken);
    search->addWidget(Label2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdKashiPrint);
    buttons->addWidget(cmdKashiHozon);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtKashi2, 1);
    layout->addLayout(search);
    layout->addLayout(buttons);

    // A click, or Space on the current row; moving through the results with the keys
    // leaves the box as it is.
    connect(&m_results, &Grid::cellClicked, this, [this](int row) { msgKyokumoku2_Click(row); });
    connect(cmdKashiKen, &QPushButton::clicked, this, [this] { searchNext(false); });
    connect(cmdKashiHozon, &QPushButton::clicked, this, &LyricsSearch::cmdKashiHozon_Click);
    connect(cmdKashiPrint, &QPushButton::clicked, this, &LyricsSearch::cmdKashiPrint_Click);
    txtKashiKey2->installEventFilter(this);
}

bool LyricsSearch::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in a key box that holds a word searches and goes no further; in an empty
    // box it is left to the box.
    if (watched == txtKashiKey2 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !txtKashiKey2->text().isEmpty()) {
            searchNext(true);
            return true;
        }
    }
    return QGroupBox::eventFilter(watched, event);
}

void LyricsSearch::msgKyokumoku2_Click(int row)
{
    if (m_results.rows() <= 1 || row < 1)
        return;
    lblKenken->setText(u"0"_s);
    ShowFoundSongLyrics();
    if (!txtKashi2->toPlainText().isEmpty() && !txtKashiKey2->text().isEmpty())
        CountLyricsHits();
}

void LyricsSearch::ShowFoundSongLyrics()
{
    const int row = m_results.row();
    m_loaded = {m_results.text(row, col::kName), m_results.text(row, col::kArtist), row};
    txtKashi2->setPlainText(ReadLyrics(m_state.folder, m_shown, m_loaded.song, m_loaded.artist));
}

void LyricsSearch::reloadUnchanged()
{
    ReloadUnchangedLyrics(*txtKashi2, m_state.folder, m_shown);
}

void LyricsSearch::CountLyricsHits()
{
    const QString key = typedText(*txtKashiKey2);
    lblKenken->setText(QString::number(lyricsrules::countHits(txtKashi2->toPlainText(), key)));
    select(0, 0);
}

void LyricsSearch::searchNext(bool fromKeyBox)
{
    const QString text = typedText(*txtKashi2);
    if (text.isEmpty()) {
        m_dialogs.message(u"まずは歌詞を呼び出してください"_s, u"歌詞未検出"_s, Dialogs::Icon::Exclamation);
        return;
    }
    const QString key = typedText(*txtKashiKey2);
    if (key.isEmpty()) {
        m_dialogs.message(u"検索したい語句を入力してください"_s, u"検索キー未入力"_s, Dialogs::Icon::Exclamation);
        return;
    }
    // On from the occurrence marked last, or from the caret.
    const int from = txtKashi2->textCursor().selectionEnd();
    if (from == 0)
        lblKenken->setText(u"0"_s);
    const qsizetype at = text.indexOf(key, from);
    if (at < 0) {
        m_dialogs.message(u"検索終了"_s, u"検索終了"_s, Dialogs::Icon::Information);
        select(0, 0);
        return;
    }
    select(static_cast<int>(at), static_cast<int>(key.size()));
    lblKenken->setText(QString::number(lblKenken->text().toInt() + 1));
    if (!fromKeyBox)
        txtKashi2->setFocus(Qt::OtherFocusReason);
}

void LyricsSearch::select(int start, int length)
{
    QTextCursor cursor = txtKashi2->textCursor();
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    txtKashi2->setTextCursor(cursor);
    txtKashi2->ensureCursorVisible();
}

void LyricsSearch::cmdKashiHozon_Click()
{
    const QString text = typedText(*txtKashi2);
    if (text.isEmpty())
        return;
    if (!m_shown.isSet()) {
        m_dialogs.message(u"保存先の曲がありません。\r\n\r\n検索結果の曲名をクリックして歌詞を呼び出してから保存してください。"_s,
                          u"曲未選択"_s, Dialogs::Icon::Exclamation);
        return;
    }
    if (!SaveLyrics(m_state.folder, m_dialogs, m_shown, m_loaded.song, m_loaded.artist, text))
        return;
    // Every screen's lyrics marks and the presence search know of the new file at once.
    m_lyrics.refresh();
    const int row = m_loaded.row;
    if (row > 0 && row < m_results.rows() && m_results.text(row, col::kName) == m_loaded.song
        && m_results.text(row, col::kArtist) == m_loaded.artist)
        m_results.setText(row, col::kLyrics, u"○"_s);
}

void LyricsSearch::cmdKashiPrint_Click()
{
    PrintLyrics(m_dialogs, m_printer, m_loaded.song, m_loaded.artist, txtKashi2->toPlainText());
}
