#include "deletedtitles.h"

#include "app/appstate.h"
#include "app/navigator.h"
#include "app/tell.h"
#include "platform/dialogs.h"
#include "platform/named.h"
#include "store/collectionfiles.h"
#include "store/cp932.h"
#include "store/namerules.h"

#include <QDir>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kTitle = u"削除したタイトル"_s;

QString whenText(const kept::KeptTitle& title)
{
    return title.when.isValid() ? title.when.toString(u"yyyy/MM/dd HH:mm:ss"_s) : title.folder;
}

} // namespace

DeletedTitlesPanel::DeletedTitlesPanel(AppState& state, Dialogs& dialogs, Navigator& navigator, QWidget* parent)
    : QDialog(parent)
    , m_state(state)
    , m_dialogs(dialogs)
    , m_navigator(navigator)
{
    setObjectName(u"fraDeletedTitles"_s);
    setWindowTitle(kTitle);
    lblDeletedTitles = named(new QLabel(u"削除したタイトルは、データフォルダの「削除済み_日付_時刻」フォルダに残っています。"
                                        "「元に戻す」でタイトルの並びの最後に戻ります。"_s),
                             u"lblDeletedTitles"_s);
    lblDeletedTitles->setWordWrap(true);
    grdDeletedTitles = named(new QTableWidget(0, 5), u"grdDeletedTitles"_s, kTitle);
    grdDeletedTitles->setHorizontalHeaderLabels({u"削除した日時"_s, u"タイトル名"_s, u"アーティスト"_s, u"画像"_s, u"テキスト"_s});
    grdDeletedTitles->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdDeletedTitles->setSelectionMode(QAbstractItemView::SingleSelection);
    grdDeletedTitles->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdDeletedTitles->verticalHeader()->hide();
    grdDeletedTitles->horizontalHeader()->setStretchLastSection(true);
    lblDeletedTitles->setBuddy(grdDeletedTitles);
    cmdRestore = named(new QPushButton(u"元に戻す"_s), u"cmdRestore"_s);
    cmdRestore->setToolTip(u"選んだタイトルをタイトルの並びの最後に戻し、画像とテキストファイルも元の場所に戻します"_s);
    cmdPurge = named(new QPushButton(u"完全に削除"_s), u"cmdPurge"_s);
    cmdPurge->setToolTip(u"選んだタイトルの残してあるファイルを削除します。元には戻せなくなります"_s);
    cmdClose = named(new QPushButton(u"閉じる"_s), u"cmdClose"_s);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdRestore);
    buttons->addWidget(cmdPurge);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblDeletedTitles);
    layout->addWidget(grdDeletedTitles, 1);
    layout->addLayout(buttons);
    resize(640, 360);

    // From the keyboard, Enter on a row puts it back and Delete asks about removing it.
    for (const auto& [key, act] : {std::pair{Qt::Key_Return, &DeletedTitlesPanel::cmdRestore_Click},
                                   std::pair{Qt::Key_Enter, &DeletedTitlesPanel::cmdRestore_Click},
                                   std::pair{Qt::Key_Delete, &DeletedTitlesPanel::cmdPurge_Click}}) {
        auto* shortcut = new QShortcut(QKeySequence(key), grdDeletedTitles, nullptr, nullptr, Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, act);
    }
    connect(cmdRestore, &QPushButton::clicked, this, &DeletedTitlesPanel::cmdRestore_Click);
    connect(cmdPurge, &QPushButton::clicked, this, &DeletedTitlesPanel::cmdPurge_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);
}

void DeletedTitlesPanel::showKept()
{
    refill();
    show();
    raise();
}

void DeletedTitlesPanel::refill()
{
    const int row = grdDeletedTitles->currentRow();
    m_titles = kept::keptTitles(m_state.folder);
    grdDeletedTitles->setRowCount(0);
    grdDeletedTitles->setRowCount(static_cast<int>(m_titles.size()));
    for (int r = 0; r < m_titles.size(); ++r) {
        const kept::KeptTitle& t = m_titles[r];
        const QStringList cells{whenText(t), t.record.name, t.record.artist, t.hasPictures ? u"あり"_s : u"なし"_s,
                                t.hasText ? u"あり"_s : u"なし"_s};
        for (int c = 0; c < cells.size(); ++c)
            grdDeletedTitles->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
    grdDeletedTitles->resizeColumnsToContents();
    if (!m_titles.isEmpty())
        grdDeletedTitles->setCurrentCell(std::clamp(row, 0, static_cast<int>(m_titles.size()) - 1), 0);
    cmdRestore->setEnabled(!m_titles.isEmpty());
    cmdPurge->setEnabled(!m_titles.isEmpty());
}

bool DeletedTitlesPanel::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        refill();
    return QDialog::event(event);
}

const kept::KeptTitle* DeletedTitlesPanel::chosen()
{
    const int row = grdDeletedTitles->currentRow();
    if (row >= 0 && row < m_titles.size())
        return &m_titles[row];
    m_dialogs.message(u"一覧からタイトルを選んでください。"_s, kTitle, Dialogs::Icon::Exclamation);
    return nullptr;
}

bool DeletedTitlesPanel::nameIsTaken(const kept::KeptTitle& title, const QString& name) const
{
    // A title that differs only in letter case would share the files.
    if (m_state.titles.findIgnoringCase(name) > 0)
        return true;
    for (const QString& file : kept::restoredFileNames(title, name)) {
        if (m_state.folder.exists(file))
            return true;
    }
    return false;
}

QString DeletedTitlesPanel::restoredName(const kept::KeptTitle& title)
{
    const QString own = title.record.name;
    if (!nameIsTaken(title, own))
        return own;
    // A free name to offer: the old one with a number after it.
    QString offered;
    for (int n = 2; offered.isEmpty() && n < 1000; ++n) {
        const QString candidate = own + u"_%1"_s.arg(n);
        if (!namerules::titleNameRefusal(candidate) && !nameIsTaken(title, candidate))
            offered = candidate;
    }
    m_dialogs.message(u"「%1」という名前のタイトルが既にあります。\r\n\r\n"
                      "上書きはしません。別の名前を付けて元に戻します。"_s.arg(own),
                      u"二重登録"_s, Dialogs::Icon::Exclamation);
    for (;;) {
        const QString name = cp932::storedForm(
            m_dialogs.input(u"元に戻すタイトルの新しい名前を入力して下さい"_s, u"タイトル名入力"_s, offered));
        if (name.isEmpty())
            return {};
        if (const std::optional<namerules::NameRefusal> refusal = namerules::titleNameRefusal(name)) {
            tellRefusal(m_dialogs, *refusal);
            if (refusal->reason != namerules::NameRefusal::Reason::ForbiddenCharacter)
                offered = name;
            continue;
        }
        if (nameIsTaken(title, name)) {
            m_dialogs.message(u"既に同じタイトル名で登録されているものがあります。\r\n\r\n"
                              "題名の後ろに追番やアーティスト名を入れるなどして区別して下さい"_s,
                              u"二重登録"_s, Dialogs::Icon::Exclamation);
            offered = name;
            continue;
        }
        return name;
    }
}

void DeletedTitlesPanel::cmdRestore_Click()
{
    const kept::KeptTitle* title = chosen();
    if (!title)
        return;
    if (m_state.folder.isReadOnly()) {
        tellWriteFailure(m_dialogs, m_state.folder.readOnlyRefusal(files::kTitles));
        return;
    }
    const kept::KeptTitle restoring = *title;
    const QString name = restoredName(restoring);
    if (name.isEmpty())
        return;
    WriteResult written;
    {
        const BusyPointer busy(m_dialogs);
        written = kept::restore(m_state.folder, m_state.titles, restoring, name);
    }
    if (!written.ok()) {
        m_dialogs.message(written.message() + u"\r\n\r\nタイトルは元に戻していません。「%1」フォルダもそのままです。"_s.arg(restoring.folder),
                          written.title(), Dialogs::Icon::Exclamation);
        refill();
        return;
    }
    m_state.CatalogueReady = false;
    m_navigator.reloadTitles(m_state.titles.count() + 1);
    refill();
    QString text = u"「%1」を元に戻しました。タイトルの並びの最後に加えてあります。"_s.arg(name);
    if (name != restoring.record.name)
        text += u"\r\n\r\n曲目は「%1」の名前で残っているため、「%2」には付いていません。"_s.arg(restoring.record.name, name);
    m_dialogs.message(text, kTitle, Dialogs::Icon::Information);
}

void DeletedTitlesPanel::cmdPurge_Click()
{
    const kept::KeptTitle* title = chosen();
    if (!title)
        return;
    const kept::KeptTitle purging = *title;
    if (m_dialogs.message(u"%1 に削除した「%2」を完全に削除しますか？\r\n\r\n"
                          "「%3」フォルダを消すので、このタイトルはもう元に戻せなくなります。"_s.arg(whenText(purging), purging.record.name,
                                                                                              purging.folder),
                          u"完全に削除の確認"_s, Dialogs::Icon::Exclamation, Dialogs::Buttons::YesNo, Dialogs::Answer::No)
        != Dialogs::Answer::Yes)
        return;
    if (m_state.folder.isReadOnly()) {
        tellWriteFailure(m_dialogs, m_state.folder.readOnlyRefusal(purging.folder));
        return;
    }
    if (!kept::purge(m_state.folder, purging)) {
        m_dialogs.message(u"「%1」フォルダを削除できませんでした。\r\n"
                          "フォルダがリンクになっているか、中のファイルが使われています。消せなかったものはそのままです。"_s.arg(
                              QDir::toNativeSeparators(QDir(m_state.folder.path()).filePath(purging.folder))),
                          u"書き込みエラー"_s, Dialogs::Icon::Exclamation);
    }
    refill();
}
