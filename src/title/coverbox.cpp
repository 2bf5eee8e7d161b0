#include "coverbox.h"

#include "app/appstate.h"
#include "platform/named.h"
#include "platform/picturebox.h"
#include "platform/picturecache.h"
#include "platform/thumbnails.h"
#include "store/collectionfiles.h"
#include "store/collectionnames.h"
#include "upkeep/coverdrop.h"
#include "upkeep/coverimport.h"

#include <QEvent>
#include <QFileInfo>
#include <QScrollBar>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

CoverBox::CoverBox(AppState& state, Dialogs& dialogs, QWidget& screen, QComboBox& nameBox, QScrollBar& position,
                   FileListing& lyrics, QWidget& covered)
    : QObject(&screen)
    , m_state(state)
    , m_position(position)
    , m_covered(covered)
    , m_covers(std::make_unique<PictureCache>())
{
    imgGazou = named(new PictureBox, u"imgGazou"_s, u"ジャケット画像"_s);
    imgGazou->setClickable(true);
    imgGazou->setFixedSize(360, 360);
    imgGazou->setDecodedToFit(true);
    imgGazou->setCache(m_covers.get());
    imgGazou->setFrameShape(QFrame::StyledPanel);
    imgGazou->setToolTip(u"クリックすると画像を取り込めます（画像のドロップ、Ctrl+V の貼り付けでも取り込めます）"_s);
    imgGazou->setCursor(Qt::PointingHandCursor);

    fraPicget = new CoverImport(state, dialogs, *imgGazou, nameBox, lyrics);
    fraPicget->hide();
    new CoverDrop(state, dialogs, *imgGazou, screen, nameBox, lyrics, [this] {
        if (m_state.titles.count() > 0)
            showCover(m_state.titles.at(m_position.value()).name);
    });
    // What the panel lies over is hidden while it is open, so that Tab and a screen reader
    // only reach what can be seen.
    fraPicget->installEventFilter(this);
    connect(imgGazou, &PictureBox::clicked, fraPicget, &CoverImport::open);
}

CoverBox::~CoverBox() = default;

void CoverBox::showCover(const QString& titleName)
{
    imgGazou->clearPicture();
    const QStringList files = covers::files(m_state.folder, titleName);
    // The window does not wait for a large cover when it first opens: the cover is
    // decoded on a worker and comes into view when done, unless another title is shown
    // by then.
    const QSize fit = imgGazou->fitSize();
    if (m_state.StartingUp && !files.isEmpty() && QFileInfo(files.first()).size() > thumbnails::kQuickDecode)
        m_covers->decodeAhead({files.first()}, fit);
    if (m_state.StartingUp && !files.isEmpty() && m_covers->decoding(files.first(), fit)) {
        m_covers->whenDecoded(files.first(), fit, this, [this, titleName] {
            const int k = m_position.value();
            if (k >= 1 && k <= m_state.titles.count() && m_state.titles.at(k).name == titleName
                && imgGazou->source().isEmpty())
                showCover(titleName);
        });
        return;
    }
    bool shown = false;
    for (const QString& path : files) {
        if ((shown = imgGazou->load(path)))
            break;
    }
    if (!shown && m_state.folder.exists(files::kNoPicture))
        imgGazou->load(m_state.folder.filePath(files::kNoPicture));
    // The covers of the titles either side, decoded ahead for a step on or back.
    QStringList ahead;
    const int k = m_position.value();
    for (int n : {k + 1, k - 1}) {
        if (const QString file = firstCoverFile(n); !file.isEmpty())
            ahead.append(file);
    }
    m_covers->decodeAhead(ahead, imgGazou->fitSize());
}

QString CoverBox::firstCoverFile(int k) const
{
    if (k < 1 || k > m_state.titles.count())
        return {};
    const QStringList files = covers::files(m_state.folder, m_state.titles.at(k).name);
    return files.isEmpty() ? QString() : files.first();
}

bool CoverBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == fraPicget && (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)) {
        const bool open = event->type() == QEvent::ShowToParent;
        m_covered.setVisible(!open);
        // Opened from the keyboard, the keyboard goes into the panel.
        if (open && imgGazou->hasFocus())
            QTimer::singleShot(0, fraPicget, [this] {
                for (QWidget* w = fraPicget->nextInFocusChain(); w != fraPicget && fraPicget->isAncestorOf(w);
                     w = w->nextInFocusChain()) {
                    if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
                        w->setFocus(Qt::TabFocusReason);
                        break;
                    }
                }
            });
    }
    return QObject::eventFilter(watched, event);
}
