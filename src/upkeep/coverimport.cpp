#include "coverimport.h"

#include "app/appstate.h"
#include "app/tell.h"
#include "platform/dialogs.h"
#include "platform/drivelist.h"
#include "platform/named.h"
#include "platform/picturebox.h"
#include "store/filelisting.h"
#include "upkeep/coverimportrules.h"
#include "upkeep/coverwrite.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;
using namespace coverimportrules;

namespace {

constexpr int kPathRole = Qt::UserRole;

// The root of the drive that holds path: the longest drive root it lies in.
int driveOf(const QComboBox* drives, const QString& path)
{
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < drives->count(); ++i) {
        const QString root = drives->itemData(i).toString();
        const bool inside = path == root || path.startsWith(root.endsWith(u'/') ? root : root + u'/');
        if (inside && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    return best;
}

} // namespace

CoverImport::CoverImport(AppState& state, Dialogs& dialogs, PictureBox& cover, QComboBox& nameBox,
                         FileListing& lyrics, QWidget* parent)
    : QFrame(parent)
    , m_state(state)
    , m_dialogs(dialogs)
    , m_cover(cover)
    , m_nameBox(nameBox)
    , m_lyrics(lyrics)
{
    setObjectName(u"fraPicget"_s);
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);

    Label1_2 = named(new QLabel(u"画像取り込み先指定"_s), u"Label1_2"_s);
    QFont bold = Label1_2->font();
    bold.setBold(true);
    Label1_2->setFont(bold);
    drvZukei_Moto = named(new QComboBox, u"drvZukei_Moto"_s);
    dirZukei_Moto = named(new QTreeWidget, u"dirZukei_Moto"_s);
    dirZukei_Moto->setHeaderHidden(true);
    dirZukei_Moto->setRootIsDecorated(false);
    dirZukei_Moto->setIndentation(14);
    filZukei_Moto = named(new QListWidget, u"filZukei_Moto"_s);
    filZukei_Moto->setSelectionMode(QAbstractItemView::SingleSelection);
    cmdFileCopy = named(new QPushButton(u"画像を取り込む"_s), u"cmdFileCopy"_s);
    cmdYame = named(new QPushButton(u"キャンセル"_s), u"cmdYame"_s);

    auto* lists = new QGridLayout;
    lists->addWidget(new QLabel(u"フォルダ（ダブルクリックで開きます）"_s), 0, 0);
    lists->addWidget(new QLabel(u"画像ファイル（JPEG・BMP）"_s), 0, 1);
    lists->addWidget(dirZukei_Moto, 1, 0);
    lists->addWidget(filZukei_Moto, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdFileCopy);
    buttons->addWidget(cmdYame);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1_2);
    layout->addWidget(drvZukei_Moto);
    layout->addLayout(lists, 1);
    layout->addLayout(buttons);

    // The drives, folders and files are listed when the panel opens, not while the
    // program starts.
    m_folder = QDir::cleanPath(m_state.folder.path());

    connect(drvZukei_Moto, &QComboBox::activated, this, &CoverImport::drvZukei_Moto_Change);
    connect(dirZukei_Moto, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { ShowFolder(item->data(0, kPathRole).toString()); });
    connect(filZukei_Moto, &QListWidget::currentRowChanged, this, &CoverImport::filZukei_Moto_Click);
    connect(cmdFileCopy, &QPushButton::clicked, this, &CoverImport::cmdFileCopy_Click);
    connect(cmdYame, &QPushButton::clicked, this, &QWidget::hide);
}

void CoverImport::open()
{
    if (!m_foldersShown)
        showFolders();
    ShowFiles();
    show();
    raise();
}

void CoverImport::fillDrives()
{
    const QSignalBlocker quiet(drvZukei_Moto);
    drvZukei_Moto->clear();
    const QIcon icon = style()->standardIcon(QStyle::SP_DriveHDIcon);
    for (const Drive& drive : listDrives())
        drvZukei_Moto->addItem(icon, drive.caption, QDir::cleanPath(drive.root));
    drvZukei_Moto->setCurrentIndex(driveOf(drvZukei_Moto, m_folder));
}

void CoverImport::drvZukei_Moto_Change(int index)
{
    const QString root = drvZukei_Moto->itemData(index).toString();
    if (!driveReady(root)) {
        m_dialogs.message(u"ﾃﾞﾊﾞｲｽが準備されていません"_s, u"ﾃﾞﾊﾞｲｽ未準備"_s, Dialogs::Icon::Critical);
        // The folders stay as they were; the list shows the drives there are now.
        fillDrives();
        return;
    }
    ShowFolder(root);
}

void CoverImport::ShowFolder(const QString& folder)
{
    const QString path = QDir::cleanPath(QDir(folder).absolutePath());
    if (!QFileInfo(path).isDir())
        return;
    m_folder = path;
    showFolders();
    ShowFiles();
}

void CoverImport::showFolders()
{
    if (!m_foldersShown)
        fillDrives();
    m_foldersShown = true;
    const QString& path = m_folder;
    if (const int drive = driveOf(drvZukei_Moto, path); drive >= 0) {
        const QSignalBlocker quiet(drvZukei_Moto);
        drvZukei_Moto->setCurrentIndex(drive);
    }

    // The folders from the drive's root down to this one, then the folders inside it.
    dirZukei_Moto->clear();
    const QString root = drvZukei_Moto->currentIndex() >= 0 ? drvZukei_Moto->currentData().toString() : QDir::rootPath();
    QStringList chain{path};
    for (QDir up(path); up.absolutePath() != root && up.cdUp();)
        chain.prepend(up.absolutePath());
    QTreeWidgetItem* parent = nullptr;
    for (const QString& step : chain) {
        const QString caption = step == chain.first() ? QDir::toNativeSeparators(step) : QFileInfo(step).fileName();
        auto* item = parent ? new QTreeWidgetItem(parent, {caption}) : new QTreeWidgetItem(dirZukei_Moto, {caption});
        item->setIcon(0, style()->standardIcon(QStyle::SP_DirOpenIcon));
        item->setData(0, kPathRole, step);
        item->setExpanded(true);
        parent = item;
    }
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QDir here(path);
    for (const QString& sub : here.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        auto* item = new QTreeWidgetItem(parent, {sub});
        item->setIcon(0, closed);
        item->setData(0, kPathRole, here.filePath(sub));
    }
    parent->setExpanded(true);
    dirZukei_Moto->setCurrentItem(parent);
}

void CoverImport::ShowFiles()
{
    const QSignalBlocker quiet(filZukei_Moto);
    filZukei_Moto->clear();
    for (const QString& name : QDir(m_folder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase)) {
        if (isOffered(name))
            filZukei_Moto->addItem(name);
    }
    filZukei_Moto->setCurrentRow(-1);
}

void CoverImport::filZukei_Moto_Click(int row)
{
    // A preview that cannot be loaded leaves the cover box as it was.
    if (row >= 0)
        m_cover.load(sourcePath(m_folder, filZukei_Moto->item(row)->text()));
}

void CoverImport::cmdFileCopy_Click()
{
    const QListWidgetItem* chosen = filZukei_Moto->currentItem();
    if (!chosen || chosen->text().isEmpty()) {
        m_dialogs.message(u"コピー元ファイルが指定されていません \n\n先にファイルを選択して下さい "_s, u"ファイル未選択"_s,
                          Dialogs::Icon::Exclamation);
        return;
    }
    const QString fileName = chosen->text();
    const QString source = sourcePath(m_folder, fileName);
    if (!writeCover(m_state, m_dialogs, m_lyrics, typedText(m_nameBox), fileName, PictureBox::readFile(source)).isEmpty())
        hide();
}
