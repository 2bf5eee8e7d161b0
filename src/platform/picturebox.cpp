#include "picturebox.h"

#include "platform/picturecache.h"
#include "store/regularfile.h"

#include <QAccessibleWidget>
#include <QBuffer>
#include <QImageReader>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

quint32 little(const QByteArray& bytes, qsizetype at, int size)
{
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | static_cast<quint8>(bytes[at + i]);
    return value;
}

// A bitmap holds at least its pixel rows (uncompressed) or the size its header gives.
bool bitmapWhole(const QByteArray& bytes)
{
    if (bytes.size() < 26)
        return false;
    const qint64 offset = little(bytes, 10, 4);
    const quint32 header = little(bytes, 14, 4);
    qint64 width = 0, height = 0, bits = 0, compression = 0, imageSize = 0;
    if (header == 12) {
        width = little(bytes, 18, 2);
        height = little(bytes, 20, 2);
        bits = little(bytes, 24, 2);
    } else if (header >= 40 && bytes.size() >= 38) {
        width = std::abs(static_cast<qint64>(static_cast<qint32>(little(bytes, 18, 4))));
        height = std::abs(static_cast<qint64>(static_cast<qint32>(little(bytes, 22, 4))));
        bits = little(bytes, 28, 2);
        compression = little(bytes, 30, 4);
        imageSize = little(bytes, 34, 4);
    } else {
        return header > 12; // a header of another kind: the decoder judges
    }
    if (width > (1 << 24) || height > (1 << 24))
        return false;
    const bool rle = compression == 1 || compression == 2;
    const qint64 pixels = rle ? imageSize : (width * bits + 31) / 32 * 4 * height;
    return bytes.size() >= offset + pixels;
}

// A JPEG followed from its start marker through its segments and the coded data of its
// scans: whole when its end-of-image marker comes before the bytes end. Whatever follows
// that marker (the video of a phone's motion photo, a second picture) is not looked at.
bool jpegWhole(const QByteArray& bytes)
{
    const auto* b = reinterpret_cast<const quint8*>(bytes.constData());
    const qsizetype n = bytes.size();
    if (n < 4 || b[0] != 0xFF || b[1] != 0xD8)
        return false;
    qsizetype i = 2;
    while (true) {
        // A marker: 0xFF (and any fill bytes) then its code; stray bytes before it are
        // passed over, as decoders do.
        while (i < n && b[i] != 0xFF)
            ++i;
        while (i < n && b[i] == 0xFF)
            ++i;
        if (i >= n)
            return false;
        const quint8 code = b[i++];
        if (code == 0xD9)
            return true;
        if (code == 0x01 || (code >= 0xD0 && code <= 0xD7))
            continue;
        if (i + 2 > n)
            return false;
        const qsizetype length = (qsizetype(b[i]) << 8) | b[i + 1];
        if (length < 2)
            return false;
        i += length;
        if (code != 0xDA)
            continue;
        // Coded data runs to the next marker other than a stuffed 0xFF 0x00 or a restart.
        while (i + 1 < n) {
            const void* found = std::memchr(b + i, 0xFF, static_cast<size_t>(n - i - 1));
            if (!found)
                return false;
            i = static_cast<const quint8*>(found) - b;
            const quint8 next = b[i + 1];
            if (next == 0x00 || (next >= 0xD0 && next <= 0xD7))
                i += 2;
            else if (next == 0xFF)
                i += 1;
            else
                break;
        }
        if (i + 1 >= n)
            return false;
    }
}

// A GIF followed block by block to its trailer; a file that ends inside a block is cut.
// After the trailer, or at a block of an unknown kind once a picture has been read,
// nothing more is needed.
bool gifWhole(const QByteArray& bytes)
{
    const auto* b = reinterpret_cast<const quint8*>(bytes.constData());
    const qsizetype n = bytes.size();
    if (n < 13)
        return false;
    const auto colourTable = [](quint8 flags) { return flags & 0x80 ? qsizetype(3) << ((flags & 7) + 1) : qsizetype(0); };
    // Data sub-blocks up to and including their empty terminator; false when cut.
    const auto skipSubBlocks = [&](qsizetype& i) {
        while (i < n) {
            const quint8 size = b[i++];
            if (size == 0)
                return true;
            i += size;
        }
        return false;
    };
    qsizetype i = 13 + colourTable(b[10]);
    bool picture = false;
    while (i < n) {
        const quint8 kind = b[i];
        if (kind == 0x3B)
            return true;
        if (kind == 0x21) {
            i += 2;
            if (!skipSubBlocks(i))
                return false;
        } else if (kind == 0x2C) {
            if (i + 11 > n)
                return false;
            i += 10 + colourTable(b[i + 9]) + 1; // descriptor, local colours, code size
            if (!skipSubBlocks(i))
                return false;
            picture = true;
        } else {
            return picture;
        }
    }
    return false;
}

// Whether the bytes hold the whole picture: the decoders show what a file cut short
// holds, the rest grey, without failing, so each format's end is looked for.
bool pictureWhole(const QByteArray& bytes, const QByteArray& format)
{
    if (format == "jpeg")
        return jpegWhole(bytes);
    if (format == "gif")
        return gifWhole(bytes);
    if (format == "bmp")
        return bitmapWhole(bytes);
    return true;
}

// What a screen reader meets: a button that can be pressed while the picture is
// clickable, a picture otherwise.
class PictureBoxAccessible : public QAccessibleWidget {
public:
    explicit PictureBoxAccessible(PictureBox* box)
        : QAccessibleWidget(box, QAccessible::Graphic)
    {
    }

    QAccessible::Role role() const override { return box()->isClickable() ? QAccessible::Button : QAccessible::Graphic; }

    QStringList actionNames() const override
    {
        return box()->isClickable() ? QStringList{pressAction()} : QStringList();
    }

    void doAction(const QString& action) override
    {
        // Once the reader's request is answered, as a button's press is.
        if (action == pressAction() && box()->isClickable())
            QTimer::singleShot(0, box(), [b = box()] { b->click(); });
    }

private:
    PictureBox* box() const { return static_cast<PictureBox*>(widget()); }
};

QAccessibleInterface* pictureBoxAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("PictureBox") && object && object->isWidgetType())
        return new PictureBoxAccessible(static_cast<PictureBox*>(object));
    return nullptr;
}

} // namespace

PictureBox::PictureBox(QWidget* parent)
    : QLabel(parent)
{
    static const bool factory = (QAccessible::installFactory(pictureBoxAccessible), true);
    Q_UNUSED(factory);
    setAlignment(Qt::AlignCenter);
    setMinimumSize(1, 1);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
}

namespace {

// Larger files are no cover: reading them whole would take the memory of the machine.
constexpr qint64 kLargestPictureFile = 256LL * 1024 * 1024;
// Larger pictures are decoded at this size at most, which stays sharp in any box and
// within what the decoders allow (a large phone photo or scan would be refused).
constexpr int kLargestDecodedSide = 4096;

// The size to ask the decoder for to fill fitted. A JPEG decodes natively at 1/2, 1/4
// and 1/8 of its size, several times faster than whole: the smallest of those that
// still covers fitted is asked for, and the rest is smoothed when the picture is shown.
QSize decodedSize(QSize full, QSize fitted, bool jpeg)
{
    if (!jpeg)
        return fitted;
    for (int d : {8, 4, 2}) {
        const QSize reduced(full.width() / d, full.height() / d);
        if (reduced.width() >= fitted.width() && reduced.height() >= fitted.height())
            return reduced;
    }
    return fitted;
}

// The picture in bytes, decoded whole; no larger than fit when fit is valid. A null
// image when the bytes are no picture or not whole.
QImage readPicture(const QByteArray& bytes, QSize fit)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    if (!pictureWhole(bytes, reader.format()))
        return {};
    const QSize full = reader.size();
    const QSize box = fit;
    // The decoder scales the picture as stored, before it is turned upright.
    if (fit.isValid() && (reader.transformation() & QImageIOHandler::TransformationRotate90))
        fit.transpose();
    const QSize largest(kLargestDecodedSide, kLargestDecodedSide);
    const QSize fitted = full.scaled(fit.isValid() ? fit.boundedTo(largest) : largest, Qt::KeepAspectRatio);
    PictureBox::allowLargePictures();
    if (full.isValid() && !fitted.isEmpty() && fitted.width() < full.width())
        reader.setScaledSize(decodedSize(full, fitted, reader.format() == "jpeg"));
    const QImage image = reader.read();
    // A JPEG asked for at a native fraction may come out larger than wanted.
    const QSize bound = box.isValid() ? box : largest;
    if (image.width() > bound.width() || image.height() > bound.height())
        return image.scaled(bound, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

} // namespace

void PictureBox::allowLargePictures()
{
    // A bitmap is decoded whole before it is scaled: a large one needs more than the
    // readers' usual limit (0 is no limit at all). The limit is the process's, shared by
    // every thread that decodes, so it is raised once and never lowered again.
    static const bool raised = [] {
        if (const int limit = QImageReader::allocationLimit(); limit > 0)
            QImageReader::setAllocationLimit(std::max(limit, 512));
        return true;
    }();
    Q_UNUSED(raised);
}

std::optional<QByteArray> PictureBox::readFile(const QString& path)
{
    return readRegularFile(path, nullptr, kLargestPictureFile);
}

bool PictureBox::isPicture(const QByteArray& bytes)
{
    return !readPicture(bytes, QSize(64, 64)).isNull();
}

QImage PictureBox::decode(const QString& path, QSize fit)
{
    const std::optional<QByteArray> bytes = readFile(path);
    return bytes ? readPicture(*bytes, fit) : QImage();
}

QImage PictureBox::decodeBytes(const QByteArray& bytes, QSize fit)
{
    return readPicture(bytes, fit);
}

QSize PictureBox::fitSize() const
{
    return m_decodedToFit ? size() * devicePixelRatioF() : QSize();
}

bool PictureBox::load(const QString& path)
{
    const QSize fit = fitSize();
    const QImage image = m_cache ? m_cache->picture(path, fit) : decode(path, fit);
    if (image.isNull())
        return false;
    setPicture(image, path);
    m_decodedFor = fit;
    return true;
}

void PictureBox::setPicture(const QImage& image, const QString& source)
{
    m_picture = QPixmap::fromImage(image);
    m_source = source;
    m_decodedFor = QSize();
    rescale();
}

void PictureBox::clearPicture()
{
    m_picture = QPixmap();
    m_decodedFor = QSize();
    m_source.clear();
    clear();
}

void PictureBox::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    rescale();
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

void PictureBox::setClickable(bool on)
{
    m_clickable = on;
    setFocusPolicy(on ? Qt::StrongFocus : Qt::NoFocus);
    update();
}

void PictureBox::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (m_clickable && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier
        && (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Select)) {
        event->accept();
        emit clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 3));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5));
}

void PictureBox::rescale()
{
    if (m_picture.isNull())
        return;
    // Scaled for the screen's pixels, so that a cover stays sharp on a high-density
    // display.
    const qreal ratio = devicePixelRatioF();
    // A box grown beyond the size its picture was decoded for decodes the file again.
    const QSize needed = size() * ratio;
    if (m_decodedFor.isValid() && (needed.width() > m_decodedFor.width() || needed.height() > m_decodedFor.height())
        && load(m_source))
        return;
    QPixmap scaled = m_picture.scaled(size() * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(ratio);
    setPixmap(scaled);
}
