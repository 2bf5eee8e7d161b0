#include "exportpanel.h"

#include "app/appstate.h"
#include "app/tell.h"
#include "exchange/csvexport.h"
#include "exchange/htmlcatalogue.h"
#include "lists/listgrids.h"
#include "lists/listrules.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "platform/named.h"
#include "store/collectionfiles.h"
#include "store/collectionnames.h"
#include "store/filelisting.h"
#include "store/namerules.h"
#include "store/records.h"
#include "store/cp932.h"
#include "store/stagedfile.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPromise>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QtConcurrent>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kCatalogueFolder = u"ウタバコカタログ"_s;

// The captions and numbers of the columns a list grid shows, read from the grid laid out
// as the list screens lay it out.
std::pair<QStringList, std::vector<int>> shownColumns(bool songs)
{
    Grid titles;
    Grid songList;
    SetUpListGrids(titles, 0, songList, 0);
    const Grid& grid = songs ? songList : titles;
    QStringList captions;
    std::vector<int> columns;
    for (int c = 0; c < grid.cols(); ++c) {
        if (!grid.isColumnHidden(c)) {
            captions.append(grid.text(0, c));
            columns.push_back(c);
        }
    }
    return {captions, columns};
}

std::vector<QStringList> shownCells(const std::vector<QStringList>& rows, bool songs)
{
    const std::vector<int> columns = shownColumns(songs).second;
    std::vector<QStringList> out;
    out.reserve(rows.size());
    for (const QStringList& row : rows) {
        QStringList cells;
        for (int c : columns)
            cells.append(row.value(c));
        out.push_back(std::move(cells));
    }
    return out;
}

} // namespace

ExportPanel::ExportPanel(AppState& state, Dialogs& dialogs, FileListing& lyrics, QWidget* parent)
    : QDialog(parent)
    , m_state(state)
    , m_dialogs(dialogs)
    , m_lyrics(lyrics)
    , m_lastFolder(QDir::homePath())
{
    setObjectName(u"frmExport"_s);
    setWindowTitle(u"書き出し"_s);
    optTitleCsv = named(new QRadioButton(u"タイトル一覧（CSV）"_s), u"optTitleCsv"_s);
    optSongCsv = named(new QRadioButton(u"曲一覧（CSV）"_s), u"optSongCsv"_s);
    optCatalogue = named(new QRadioButton(u"HTML カタログ（フォルダに書き出し）"_s), u"optCatalogue"_s);
    optTitleCsv->setChecked(true);
    cboEncoding = named(new QComboBox, u"cboEncoding"_s, u"CSV の文字コード"_s);
    cboEncoding->addItem(u"UTF-8（BOM 付き）"_s);
    cboEncoding->addItem(u"Shift_JIS（CP932）"_s);
    prgExport = named(new QProgressBar, u"prgExport"_s, u"書き出しの進み具合"_s);
    prgExport->hide();
    cmdWrite = named(new QPushButton(u"書き出す"_s), u"cmdWrite"_s);
    cmdWrite->setDefault(true);
    cmdClose = named(new QPushButton(u"閉じる"_s), u"cmdClose"_s);

    auto* encoding = new QHBoxLayout;
    auto* encodingLabel = new QLabel(u"CSV の文字コード"_s);
    encodingLabel->setBuddy(cboEncoding);
    encoding->addWidget(encodingLabel);
    encoding->addWidget(cboEncoding, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdWrite);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(optTitleCsv);
    layout->addWidget(optSongCsv);
    layout->addWidget(optCatalogue);
    layout->addLayout(encoding);
    layout->addWidget(prgExport);
    layout->addLayout(buttons);

    connect(optCatalogue, &QRadioButton::toggled, cboEncoding, [this](bool on) { cboEncoding->setEnabled(!on); });
    connect(cmdWrite, &QPushButton::clicked, this, &ExportPanel::cmdWrite_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(&m_writing, &QFutureWatcher<QString>::progressRangeChanged, prgExport, &QProgressBar::setRange);
    connect(&m_writing, &QFutureWatcher<QString>::progressValueChanged, prgExport, &QProgressBar::setValue);
    connect(&m_writing, &QFutureWatcher<QString>::finished, this, &ExportPanel::catalogueFinished);
}

QStringList ExportPanel::titleHeader() const
{
    return shownColumns(false).first;
}

std::vector<QStringList> ExportPanel::titleRows() const
{
    std::vector<QStringList> rows;
    rows.reserve(static_cast<size_t>(m_state.titles.count()));
    int r = 0;
    for (const TitleRecord& t : m_state.titles.records())
        rows.push_back(listrules::titleRow(t, ++r));
    return shownCells(rows, false);
}

QStringList ExportPanel::songHeader() const
{
    return shownColumns(true).first;
}

std::vector<QStringList> ExportPanel::songRows() const
{
    std::vector<QStringList> rows;
    rows.reserve(static_cast<size_t>(m_state.tracks.count()));
    int i = 0;
    for (const TrackRecord& s : m_state.tracks.records())
        rows.push_back(listrules::songRow(s, ++i, m_lyrics.contains(namerules::lyricsFileName(s.name, s.artist))));
    return shownCells(rows, true);
}

Dialogs::Answer ExportPanel::tell(const QString& text, const QString& title, Dialogs::Icon icon, Dialogs::Buttons buttons,
                                   Dialogs::Answer def)
{
    const Dialogs::Answer answer = m_dialogs.message(text, title, icon, buttons, def);
    comeBack();
    return answer;
}

// A box or chooser gives the keyboard back to the window it belongs to, the main
// window; the panel takes it again, so that Esc and Enter keep working here.
void ExportPanel::comeBack()
{
    if (isVisible())
        activateWindow();
}

void ExportPanel::cmdWrite_Click()
{
    if (isWriting())
        return;
    if (optCatalogue->isChecked())
        writeCatalogue();
    else
        writeCsv(optSongCsv->isChecked());
}

void ExportPanel::writeCsv(bool songs)
{
    const QString suggested = QDir(m_lastFolder).filePath(songs ? u"曲一覧.csv"_s : u"タイトル一覧.csv"_s);
    const QString path = m_dialogs.chooseSaveFile(songs ? u"曲一覧の書き出し"_s : u"タイトル一覧の書き出し"_s, suggested,
                                                  u"CSV ファイル (*.csv)"_s);
    comeBack();
    if (path.isEmpty())
        return;
    m_lastFolder = QFileInfo(path).absolutePath();
    const auto encoding = cboEncoding->currentIndex() == 1 ? csvexport::Encoding::Cp932 : csvexport::Encoding::Utf8Bom;
    QString bad;
    std::optional<QByteArray> bytes;
    {
        const BusyPointer busy(m_dialogs);
        const QString text = songs ? csvexport::table(songHeader(), songRows()) : csvexport::table(titleHeader(), titleRows());
        bytes = csvexport::encode(text, encoding, &bad);
    }
    if (!bytes) {
        const QString becomes = cp932::storedForm(bad);
        tell(becomes != bad && cp932::firstUnstorable(becomes).isEmpty()
                 ? u"「%1」は Shift_JIS（CP932）では別の文字「%2」になるので、書き出せません。\r\n\r\n"
                   "文字コードに UTF-8 を選んでください。"_s.arg(bad, becomes)
                 : u"「%1」は Shift_JIS（CP932）で表せない文字なので、書き出せません。\r\n\r\n"
                   "文字コードに UTF-8 を選んでください。"_s.arg(bad),
             u"書き出し不可"_s, Dialogs::Icon::Exclamation);
        return;
    }
    // Nothing is written through a link: what it points to may be anything of the user's.
    if (QFileInfo(path).isSymLink()) {
        tell(u"「%1」はリンク（別の場所を指す名前）なので、書き出せません。\r\n\r\n別の名前を選んでください。"_s.arg(
                 QDir::toNativeSeparators(path)),
             u"書き出し不可"_s, Dialogs::Icon::Exclamation);
        return;
    }
    // A save killed here before left its temporary file beside the list; it goes now.
    const QDir written = QFileInfo(path).absoluteDir();
    removeInterruptedSaves(written.path(), written.entryList(QDir::Files | QDir::Hidden | QDir::System));
    StagedFile staged;
    WriteResult result = staged.write(path, *bytes);
    if (result.ok())
        result = staged.commit();
    if (!result.ok()) {
        tellWriteFailure(m_dialogs, result);
        comeBack();
        return;
    }
    tell(u"「%1」に書き出しました。"_s.arg(QDir::toNativeSeparators(path)), u"書き出し"_s, Dialogs::Icon::Information);
}

void ExportPanel::writeCatalogue()
{
    const QString folder = m_dialogs.chooseFolder(u"カタログを書き出すフォルダ"_s, m_lastFolder);
    comeBack();
    if (folder.isEmpty())
        return;
    m_lastFolder = folder;
    const QString target = QDir(folder).filePath(kCatalogueFolder);
    if (const QString refused = htmlcatalogue::targetRefusal(target); !refused.isEmpty()) {
        tell(refused, u"書き出し不可"_s, Dialogs::Icon::Exclamation);
        return;
    }
    // Replacing the catalogue folder removes what it holds: never the collection's own.
    const QString data = QFileInfo(m_state.folder.path()).canonicalFilePath();
    const QString replaced = QFileInfo(target).canonicalFilePath();
    if (!replaced.isEmpty() && (data == replaced || data.startsWith(replaced + u'/'))) {
        tell(u"「%1」にはこのコレクションのデータフォルダがあるため、カタログに置き換えられません。\r\n\r\n"
             "別のフォルダを選んでください。"_s.arg(QDir::toNativeSeparators(target)),
             u"書き出し不可"_s, Dialogs::Icon::Exclamation);
        return;
    }
    if (QFileInfo::exists(target)
        && tell(u"「%1」は既にあります。\r\n\r\n中身をすべて新しいカタログに置き換えますか？"_s.arg(QDir::toNativeSeparators(target)),
                u"置き換え確認"_s, Dialogs::Icon::Question, Dialogs::Buttons::YesNo, Dialogs::Answer::No)
            != Dialogs::Answer::Yes)
        return;

    // Files of the data folder are read here; the worker gets values only.
    std::vector<htmlcatalogue::Entry> entries;
    entries.reserve(static_cast<size_t>(m_state.titles.count()));
    for (const TitleRecord& t : m_state.titles.records()) {
        htmlcatalogue::Entry e{t, t.artist == collection::kCompilationArtist, {}, {}};
        if (const QString list = files::trackListFile(t.name); m_state.folder.exists(list)) {
            if (const std::optional<QString> text = m_state.folder.readText(list))
                e.tracks = trackrules::tracksOfLines(splitLines(*text), e.compilation);
        }
        // The picture the main screen shows: the last of the title's names there is.
        for (const QString& picture : namerules::pictureFileNames(t.name)) {
            if (m_state.folder.exists(picture))
                e.coverPath = m_state.folder.filePath(picture);
        }
        entries.push_back(std::move(e));
    }

    m_catalogueTarget = target;
    cmdWrite->setEnabled(false);
    prgExport->setRange(0, static_cast<int>(entries.size()));
    prgExport->setValue(0);
    prgExport->show();
    m_writing.setFuture(QtConcurrent::run([entries = std::move(entries), target](QPromise<QString>& promise) {
        promise.setProgressRange(0, static_cast<int>(entries.size()));
        promise.addResult(htmlcatalogue::write(entries, target, [&promise](int done, int) {
            promise.setProgressValue(done);
        }));
    }));
}

void ExportPanel::catalogueFinished()
{
    prgExport->hide();
    cmdWrite->setEnabled(true);
    const QString error = m_writing.future().resultCount() > 0 ? m_writing.result() : u"書き出しが中断されました。"_s;
    if (error.isEmpty())
        tell(u"「%1」にカタログを書き出しました。\r\n\r\nフォルダの index.html をブラウザで開いてください。"_s.arg(
                 QDir::toNativeSeparators(m_catalogueTarget)),
             u"書き出し"_s, Dialogs::Icon::Information);
    else
        tell(error, u"書き出しエラー"_s, Dialogs::Icon::Exclamation);
    emit catalogueDone();
}
