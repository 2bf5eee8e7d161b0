#include "picturebox.h"

#include <QAccessibleWidget>
#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <cstdlib>

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
        width = std::abs(static_cast<qint32>(little(bytes, 18, 4)));
        height = std::abs(static_cast<qint32>(little(bytes, 22, 4)));
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

// Whether the bytes hold the whole picture: the decoders show what a file cut short
// holds, the rest grey, without failing, so each format's end is looked for.
bool pictureWhole(const QByteArray& bytes, const QByteArray& format)
{
    if (format == "jpeg") {
        // The end-of-image marker after the start of the last scan.
        const qsizetype scan = bytes.lastIndexOf(QByteArrayView("\xFF\xDA"));
        return scan >= 0 && bytes.indexOf(QByteArrayView("\xFF\xD9"), scan + 2) >= 0;
    }
    if (format == "gif") {
        qsizetype end = bytes.size();
        while (end > 0 && bytes[end - 1] == '\0')
            --end;
        return end > 0 && bytes[end - 1] == ';';
    }
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

bool PictureBox::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QBuffer buffer;
    buffer.setData(file.readAll());
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    if (!pictureWhole(buffer.data(), reader.format()))
        return false;
    if (m_decodedToFit) {
        const QSize full = reader.size();
        const QSize fitted = full.scaled(size() * devicePixelRatioF(), Qt::KeepAspectRatio);
        if (full.isValid() && !fitted.isEmpty() && fitted.width() < full.width())
            reader.setScaledSize(fitted);
    }
    const QImage image = reader.read();
    if (image.isNull())
        return false;
    m_picture = QPixmap::fromImage(image);
    m_source = path;
    rescale();
    return true;
}

void PictureBox::clearPicture()
{
    m_picture = QPixmap();
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
    QPixmap scaled = m_picture.scaled(size() * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(ratio);
    setPixmap(scaled);
}
