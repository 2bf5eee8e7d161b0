#include "lyricspanel.h"

#include "app/appstate.h"
#include "app/tell.h"
#include "lyrics/lyricsprint.h"
#include "lyrics/lyricsrules.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "platform/named.h"
#include "store/filelisting.h"
#include "store/namerules.h"
#include "tracks/trackentry.h"
#include "upkeep/tourtexts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

// A one-line caption cut short with … where it is wider than its place; the whole text
// is its tool tip and what a screen reader says.
class CaptionLabel : public QLabel {
public:
    void setCaption(const QString& caption)
    {
        m_caption = caption;
        setToolTip(caption);
        setAccessibleName(caption);
        elide();
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QLabel::resizeEvent(event);
        elide();
    }

private:
    void elide() { setText(fontMetrics().elidedText(m_caption, Qt::ElideRight, contentsRect().width())); }

    QString m_caption;
};

} // namespace

LyricsPanel::LyricsPanel(AppState& state, Dialogs& dialogs, Printer& printer, FileListing& lyrics,
                         TrackEntry& tracks, QWidget* parent)
    : QFrame(parent)
    , m_state(state)
    , m_dialogs(dialogs)
    , m_printer(printer)
    , m_lyrics(lyrics)
    , m_tracks(tracks)
{
    setObjectName(u"fraKashi1"_s);
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    lblKashiTitle = named(new CaptionLabel, u"lblKashiTitle"_s);
    QFont bold = lblKashiTitle->font();
    bold.setBold(true);
    lblKashiTitle->setFont(bold);
    lblKashiTitle->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    txtKashi1 = named(new QPlainTextEdit, u"txtKashi1"_s);
    lblKashiTitle->setBuddy(txtKashi1);
    // Tab moves on to the buttons, as from every other box; pasted text keeps its tabs.
    txtKashi1->setTabChangesFocus(true);
    cmdKashiToroku = named(new QPushButton(u"歌詞を保存する"_s), u"cmdKashiToroku"_s);
    cmdKashiPri = named(new QPushButton(u"歌詞を印刷する"_s), u"cmdKashiPri"_s);
    cmdGazo = named(new QPushButton(u"画像表示に戻る"_s), u"cmdGazo"_s);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdKashiToroku);
    buttons->addWidget(cmdKashiPri);
    buttons->addWidget(cmdGazo);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(lblKashiTitle);
    layout->addWidget(txtKashi1, 1);
    layout->addLayout(buttons);
    hide();

    const Grid* grid = m_tracks.msgKyokumoku;
    connect(grid, &Grid::cellClicked, this, [this] { msgKyokumoku_Click(); });
    // A change of the selected cell made by the user loads that song; refilling the
    // grid or tabbing into it does not, so unsaved lyrics stay in the box.
    connect(grid, &Grid::userMovedToCell, this, [this](int row) {
        if (row > 0)
            ShowTrackLyrics();
    });
    connect(cmdKashiToroku, &QPushButton::clicked, this, &LyricsPanel::cmdKashiToroku_Click);
    connect(cmdKashiPri, &QPushButton::clicked, this, &LyricsPanel::cmdKashiPri_Click);
    connect(cmdGazo, &QPushButton::clicked, this, &QWidget::hide);
}

void LyricsPanel::ShowTrackLyrics()
{
    Grid* grid = m_tracks.msgKyokumoku;
    const int row = grid->row();
    m_loaded = {grid->text(row, 1), m_tracks.artistOfRow(row), row};
    txtKashi1->setPlainText(ReadLyrics(m_state.folder, m_shown, m_loaded.song, m_loaded.artist));
    static_cast<CaptionLabel*>(lblKashiTitle)->setCaption(m_loaded.song + u"　／　"_s + m_loaded.artist);
    show();
    raise();
}

void LyricsPanel::reloadUnchanged()
{
    ReloadUnchangedLyrics(*txtKashi1, m_state.folder, m_shown);
}

void LyricsPanel::msgKyokumoku_Click()
{
    if (m_tracks.msgKyokumoku->rows() <= 1)
        return;
    ShowTrackLyrics();
    if (txtKashi1->toPlainText().isEmpty() && m_state.tour.HelpTourOn() == 1) {
        QString example = tour::kLyricsExample;
        txtKashi1->setPlainText(example.replace(u"\r\n"_s, u"\n"_s));
    }
    m_state.tour.show(tour::kLyrics);
}

QString ReadLyrics(DataFolder& folder, ShownFile& shown, const QString& song, const QString& artist)
{
    const QString name = namerules::lyricsFileName(song, artist);
    if (namerules::lyricsNameRefusal(song, artist)) {
        shown.showAbsent(name);
        return {};
    }
    const std::optional<QString> text = shown.read(folder, name);
    return text ? lyricsrules::lyricsOfFileText(*text) : QString();
}

void ReloadUnchangedLyrics(QPlainTextEdit& box, DataFolder& folder, ShownFile& shown)
{
    const auto shownLyrics = [&shown] { return lyricsrules::lyricsOfFileText(shown.shown().value_or(QString())); };
    if (!shown.isSet() || box.toPlainText() != shownLyrics())
        return;
    const std::optional<QString> before = shown.shown();
    if (shown.read(folder, shown.name()) != before)
        box.setPlainText(shownLyrics());
}

bool SaveLyrics(DataFolder& folder, Dialogs& dialogs, ShownFile& shown, const QString& song, const QString& artist,
                const QString& text)
{
    if (const std::optional<namerules::NameRefusal> refusal = namerules::lyricsNameRefusal(song, artist)) {
        tellRefusal(dialogs, *refusal);
        return false;
    }
    const QString fileText = lyricsrules::fileTextOfLyrics(text);
    // What cannot be stored is refused before the user is asked anything.
    if (const std::optional<TextRefusal> refusal = refusalOf(fileText, {})) {
        tellRefusal(dialogs, *refusal);
        return false;
    }
    if (!shown.mayOverwrite(folder, dialogs))
        return false;
    const WriteResult written = folder.rewrite(shown.name(), fileText);
    if (!written.ok()) {
        tellWriteFailure(dialogs, written);
        return false;
    }
    shown.wrote(fileText);
    return true;
}

void LyricsPanel::cmdKashiToroku_Click()
{
    const QString text = typedText(*txtKashi1);
    if (text.isEmpty() || !m_shown.isSet())
        return;
    if (!SaveLyrics(m_state.folder, m_dialogs, m_shown, m_loaded.song, m_loaded.artist, text))
        return;
    m_lyrics.refresh();
    Grid* grid = m_tracks.msgKyokumoku;
    // The mark goes on the row loaded from only while it still shows that song of that
    // artist (another title may be on screen by now).
    if (m_loaded.row > 0 && m_loaded.row < grid->rows() && grid->text(m_loaded.row, 1) == m_loaded.song
        && m_tracks.artistOfRow(m_loaded.row) == m_loaded.artist)
        grid->setText(m_loaded.row, grid->cols() - 1, u"○"_s);
}

void LyricsPanel::cmdKashiPri_Click()
{
    PrintLyrics(m_dialogs, m_printer, m_loaded.song, m_loaded.artist, txtKashi1->toPlainText());
}
