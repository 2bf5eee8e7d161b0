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
#include <QImageReader>
#include <QMimeData>
#include <QPainter>
#include <QShortcut>
#include <QTimer>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>

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

// A JPEG holds at most this many lines, and as many pixels to a line.
constexpr int kJpegLargestSide = 65500;

QByteArray asJpeg(QImage image)
{
    if (image.isNull())
        return {};
    if (image.width() > kJpegLargestSide || image.height() > kJpegLargestSide)
        image = image.scaled(kJpegLargestSide, kJpegLargestSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    // Transparent parts of a web picture go on white, as a browser shows them.
    if (image.hasAlphaChannel()) {
        QImage flat(image.size(), QImage::Format_RGB32);
        flat.fill(Qt::white);
        {
            QPainter painter(&flat);
            painter.drawImage(0, 0, image);
        }
        image = std::move(flat);
    }
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "JPG", 92))
        return {};
    return out;
}

// The picture in bytes as a JPEG, decoded straight into a size a JPEG can hold when it is
// larger; empty when the bytes are no picture the readers know, or too large to decode.
QByteArray jpegOf(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    PictureBox::allowLargePictures();
    const QSize full = reader.size();
    if (full.width() > kJpegLargestSide || full.height() > kJpegLargestSide)
        reader.setScaledSize(full.scaled(kJpegLargestSide, kJpegLargestSide, Qt::KeepAspectRatio));
    return asJpeg(reader.read());
}

// JPEG and bitmap bytes as they are, under a name with their extension; another picture
// as a JPEG. Bytes that are no picture, or one that cannot be made a JPEG, come with
// no bytes, to be refused: nothing goes in under a name the title would not show.
CoverDrop::Payload pictureOf(const QString& name, const std::optional<QByteArray>& bytes)
{
    using Kind = CoverDrop::Payload::Kind;
    if (!bytes)
        return {Kind::Picture, name, bytes};
    if (isJpeg(*bytes))
        return {Kind::Picture, withExtension(name, u".jpg"_s), bytes};
    if (isBitmap(*bytes))
        return {Kind::Picture, withExtension(name, u".bmp"_s), bytes};
    if (QByteArray jpeg = jpegOf(*bytes); !jpeg.isEmpty())
        return {Kind::Picture, withExtension(name, u".jpg"_s), jpeg};
    return {Kind::Picture, name, std::nullopt};
}

// The name a picture without a file of its own is brought in under.
const QString kPictureData = u"画像データ"_s;

// The formats whose bytes are kept as they are, when they hold what they say.
const QString kKeptFormats[] = {u"image/jpeg"_s, u"image/pjpeg"_s, u"image/bmp"_s, u"image/x-bmp"_s, u"image/x-ms-bmp"_s};

} // namespace

CoverDrop::Offer CoverDrop::offerOf(const QMimeData& data)
{
    Offer offer;
    // A local file wins: a file manager gives its URL, a browser may give it beside the
    // picture's bytes.
    const QList<QUrl> urls = data.urls();
    for (const QUrl& url : urls) {
        if (url.isLocalFile()) {
            offer.file = url.toLocalFile();
            return offer;
        }
    }
    // A picture's own bytes before a picture decoded from them: a JPEG or a bitmap is
    // kept byte for byte, and any other is decoded once, at the size it is stored at.
    const QStringList formats = data.formats();
    for (const QString& format : kKeptFormats) {
        if (formats.contains(format)) {
            const QByteArray bytes = data.data(format);
            if (isJpeg(bytes) || isBitmap(bytes)) {
                offer.bytes = bytes;
                return offer;
            }
        }
    }
    for (const QString& format : formats) {
        if (format.startsWith(u"image/"_s)) {
            if (QByteArray bytes = data.data(format); !bytes.isEmpty()) {
                offer.bytes = std::move(bytes);
                return offer;
            }
        }
    }
    if (data.hasImage()) {
        offer.image = qvariant_cast<QImage>(data.imageData());
        if (!offer.image.isNull())
            return offer;
    }
    if (!urls.isEmpty()) {
        offer.remote = urls.first().toDisplayString();
        return offer;
    }
    if (data.hasText())
        offer.text = data.text();
    return offer;
}

CoverDrop::Payload CoverDrop::payloadOf(const Offer& offer)
{
    Payload payload = readOffer(offer);
    // What is no whole picture comes without bytes, to be refused.
    if (payload.bytes && !PictureBox::isPicture(*payload.bytes))
        payload.bytes.reset();
    return payload;
}

CoverDrop::Payload CoverDrop::readOffer(const Offer& offer)
{
    if (!offer.file.isEmpty())
        return pictureOf(QFileInfo(offer.file).fileName(), PictureBox::readFile(offer.file));
    if (offer.bytes)
        return pictureOf(kPictureData, offer.bytes);
    if (!offer.image.isNull()) {
        QByteArray jpeg = asJpeg(offer.image);
        return {Payload::Kind::Picture, kPictureData + u".jpg"_s,
                jpeg.isEmpty() ? std::nullopt : std::optional<QByteArray>(std::move(jpeg))};
    }
    if (!offer.remote.isEmpty())
        return {Payload::Kind::Remote, offer.remote, {}};
    if (offer.text) {
        // A copied file's path, or its URL, as some file managers give it as text.
        const QString text = offer.text->trimmed();
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

CoverDrop::~CoverDrop()
{
    if (bringingIn())
        m_dialogs.setBusy(false);
}

bool CoverDrop::bringIn(const QMimeData& data)
{
    if (bringingIn()) {
        m_dialogs.beep();
        return false;
    }
    const Offer offer = offerOf(data);
    // The cover goes to the title named when the picture came, if it is still there
    // when the picture is ready.
    const QString title = typedText(m_nameBox);
    if (!offer.needsReading()) {
        write(payloadOf(offer), title);
        return false;
    }
    m_dialogs.setBusy(true);
    auto* reading = new QFutureWatcher<Payload>(this);
    m_reading = reading;
    connect(reading, &QFutureWatcherBase::finished, this, [this, reading, title] {
        reading->deleteLater();
        m_reading = nullptr;
        m_dialogs.setBusy(false);
        write(reading->result(), title);
    });
    reading->setFuture(QtConcurrent::run([offer] { return payloadOf(offer); }));
    return true;
}

void CoverDrop::write(const Payload& payload, const QString& title)
{
    switch (payload.kind) {
    case Payload::Kind::Nothing:
        m_dialogs.beep();
        return;
    case Payload::Kind::Remote:
        m_dialogs.message(u"インターネット上の画像（%1）は直接取り込めません。\r\n\r\n"
                          "いったんファイルとして保存してから、そのファイルをドロップしてください。"_s.arg(payload.name),
                          u"取り込み不可"_s, Dialogs::Icon::Exclamation);
        return;
    case Payload::Kind::Picture:
        break;
    }
    if (!writeCover(m_state, m_dialogs, m_lyrics, title, payload.name, payload.bytes, CoverFrom::DropOrPaste).isEmpty() && m_shown)
        m_shown();
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
