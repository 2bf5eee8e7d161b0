#include "coverdrop.h"

#include "app/appstate.h"
#include "app/tell.h"
#include "platform/dialogs.h"
#include "platform/picturebox.h"
#include "upkeep/coverwrite.h"

#include <QBuffer>
#include <QClipboard>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QShortcut>
#include <QTimer>
#include <QUrl>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

bool isJpeg(const QByteArray& bytes)
{
    return bytes.startsWith("\xFF\xD8\xFF");
}

bool isBitmap(const QByteArray& bytes)
{
    return bytes.startsWith("BM");
}

// name with its extension made ext, unless it already ends in ext in any letter case.
QString withExtension(const QString& name, const QString& ext)
{
    if (name.endsWith(ext, Qt::CaseInsensitive))
        return name;
    const QFileInfo info(name);
    return (info.completeBaseName().isEmpty() ? info.fileName() : info.completeBaseName()) + ext;
}

QByteArray asJpeg(const QImage& image)
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    // Transparent parts of a web picture go on white, as a browser shows them.
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    {
        QPainter painter(&flat);
        painter.drawImage(0, 0, image);
    }
    if (!flat.save(&buffer, "JPG", 92))
        return {};
    return out;
}

// JPEG and bitmap bytes as they are, under a name with their extension; another picture
// as a JPEG; bytes that are no picture as they came, to be refused.
CoverDrop::Payload pictureOf(const QString& name, const std::optional<QByteArray>& bytes)
{
    using Kind = CoverDrop::Payload::Kind;
    if (!bytes)
        return {Kind::Picture, name, bytes};
    if (isJpeg(*bytes))
        return {Kind::Picture, withExtension(name, u".jpg"_s), bytes};
    if (isBitmap(*bytes))
        return {Kind::Picture, withExtension(name, u".bmp"_s), bytes};
    QImage image;
    if (image.loadFromData(*bytes)) {
        if (QByteArray jpeg = asJpeg(image); !jpeg.isEmpty())
            return {Kind::Picture, withExtension(name, u".jpg"_s), jpeg};
    }
    return {Kind::Picture, name, bytes};
}

// The name a picture without a file of its own is brought in under.
const QString kPictureData = u"画像データ"_s;

} // namespace

CoverDrop::Payload CoverDrop::payloadOf(const QMimeData& data)
{
    // A local file wins: a file manager gives its URL, a browser may give it beside the
    // picture's bytes.
    const QList<QUrl> urls = data.urls();
    for (const QUrl& url : urls) {
        if (url.isLocalFile()) {
            const QString path = url.toLocalFile();
            return pictureOf(QFileInfo(path).fileName(), PictureBox::readFile(path));
        }
    }
    if (data.hasImage()) {
        const QImage image = qvariant_cast<QImage>(data.imageData());
        if (!image.isNull())
            return pictureOf(kPictureData, asJpeg(image));
    }
    for (const QString& format : data.formats()) {
        if (format.startsWith(u"image/"_s))
            return pictureOf(kPictureData, data.data(format));
    }
    if (!urls.isEmpty())
        return {Payload::Kind::Remote, urls.first().toDisplayString(), {}};
    if (data.hasText()) {
        // A copied file's path, or its URL, as some file managers give it as text.
        const QString text = data.text().trimmed();
        const QUrl url(text);
        const QString path = url.isLocalFile() ? url.toLocalFile() : text;
        if (!text.contains(u'\n') && QFileInfo(path).isAbsolute() && QFileInfo(path).isFile())
            return pictureOf(QFileInfo(path).fileName(), PictureBox::readFile(path));
        const QString line = text.section(u'\n', 0, 0);
        return {Payload::Kind::Picture, line.size() > 30 ? line.left(30) + u"…"_s : line, std::nullopt};
    }
    return {};
}

CoverDrop::CoverDrop(AppState& state, Dialogs& dialogs, PictureBox& cover, QWidget& screen, QComboBox& nameBox,
                     FileListing& lyrics, std::function<void()> shown)
    : QObject(&screen)
    , m_state(state)
    , m_dialogs(dialogs)
    , m_nameBox(nameBox)
    , m_lyrics(lyrics)
    , m_shown(std::move(shown))
{
    cover.setAcceptDrops(true);
    cover.installEventFilter(this);
    // Text boxes keep Ctrl+V for their own pasting; anywhere else on the screen it
    // brings a picture in.
    auto* paste = new QShortcut(QKeySequence::Paste, &screen);
    paste->setObjectName(u"keyPasteCover"_s);
    paste->setContext(Qt::WidgetWithChildrenShortcut);
    connect(paste, &QShortcut::activated, this, &CoverDrop::paste);
}

bool CoverDrop::bringIn(const QMimeData& data)
{
    const Payload payload = payloadOf(data);
    switch (payload.kind) {
    case Payload::Kind::Nothing:
        m_dialogs.beep();
        return false;
    case Payload::Kind::Remote:
        m_dialogs.message(u"インターネット上の画像（%1）は直接取り込めません。\r\n\r\n"
                          "いったんファイルとして保存してから、そのファイルをドロップしてください。"_s.arg(payload.name),
                          u"取り込み不可"_s, Dialogs::Icon::Exclamation);
        return false;
    case Payload::Kind::Picture:
        break;
    }
    if (writeCover(m_state, m_dialogs, m_lyrics, typedText(m_nameBox), payload.name, payload.bytes).isEmpty())
        return false;
    if (m_shown)
        m_shown();
    return true;
}

void CoverDrop::paste()
{
    if (const QMimeData* data = QGuiApplication::clipboard()->mimeData())
        bringIn(*data);
    else
        m_dialogs.beep();
}

bool CoverDrop::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        const QMimeData* data = drag->mimeData();
        if (data && (data->hasUrls() || data->hasImage() || data->hasText() || !data->formats().isEmpty()))
            drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        drop->acceptProposedAction();
        // The drop ends before any question is asked, so that the program the picture was
        // dragged from is not held while the user answers; what was dropped is kept.
        if (const QMimeData* data = drop->mimeData()) {
            auto kept = std::make_shared<QMimeData>();
            for (const QString& format : data->formats())
                kept->setData(format, data->data(format));
            if (data->hasImage())
                kept->setImageData(data->imageData());
            QTimer::singleShot(0, this, [this, kept] { bringIn(*kept); });
        }
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}
