#pragma once

#include <QLabel>
#include <QPixmap>

#include <optional>

class PictureCache;

// A picture area: loads JPEG, GIF and BMP files and shows the picture scaled to fit,
// keeping its proportions. A file that fails to load leaves the picture as it was; so
// does one that is not whole (cut short by a broken copy), which decoders would show
// half grey.
class PictureBox : public QLabel {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    bool load(const QString& path);
    // The bytes of a file that may hold a picture: nothing when it cannot be read or is
    // too large to be one.
    static std::optional<QByteArray> readFile(const QString& path);
    // Whether the bytes are a whole picture this box can show.
    static bool isPicture(const QByteArray& bytes);
    // The picture of the file at path, decoded no larger than fit when fit is valid;
    // null when the file cannot be read or is no whole picture. Safe on any thread.
    static QImage decode(const QString& path, QSize fit);
    // As decode, for the bytes of a file already read.
    static QImage decodeBytes(const QByteArray& bytes, QSize fit);
    // Lets the image readers decode pictures as large as a cover may be (more than their
    // usual limit). Once for the whole process, and safe on any thread.
    static void allowLargePictures();
    // Pictures decoded no larger than the box is now: a large JPEG decodes several times
    // faster so, and takes a fraction of the memory. A box that grows decodes again.
    void setDecodedToFit(bool on) { m_decodedToFit = on; }
    // The size pictures are decoded for, in the screen's pixels; invalid when whole.
    QSize fitSize() const;
    // Pictures loaded are taken from, and kept in, cache (which outlives the box).
    void setCache(PictureCache* cache) { m_cache = cache; }
    // Shows a picture decoded elsewhere, as loaded from source.
    void setPicture(const QImage& image, const QString& source);
    void clearPicture();
    // A picture that does something when clicked takes the keyboard focus as well: Space
    // or Enter click it, a frame shows it has the focus, and a screen reader meets it as
    // a button.
    void setClickable(bool on);
    bool isClickable() const { return m_clickable; }
    void click() { emit clicked(); }
    bool isEmpty() const { return m_picture.isNull(); }
    // The file last loaded, or empty.
    const QString& source() const { return m_source; }

signals:
    void clicked();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void rescale();

    QPixmap m_picture;
    QString m_source;
    // The size the picture was decoded for when it was made smaller than the file's.
    QSize m_decodedFor;
    PictureCache* m_cache = nullptr;
    bool m_decodedToFit = false;
    bool m_clickable = false;
};
