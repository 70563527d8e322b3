#pragma once

#include <QHash>
#include <QImage>
#include <QMargins>
#include <QMutex>
#include <QString>

#include <array>

// The pictures printed bubbles are made of, read once per process from the shipped "bubble" and
// "emoji" folders and kept until exit. The same QImage objects are handed out every time, so a
// PDF stores each picture once however many bubbles use it.
class BubblePictures
{
public:
    static constexpr int kPieceCount = 9;

    static const BubblePictures &instance();

    // One piece of a nine-slice frame, numbered row by row from 0 (top-left) to 8
    // (bottom-right). A missing file gives a null image, so the bubble simply has no frame.
    const QImage &piece(bool fromMe, int index) const;
    // The frame's border widths in units of the page.
    static QMargins border(bool fromMe);
    // The picture shown for an image that cannot be loaded; null when it is missing too.
    const QImage &emptyPhoto() const;
    // The shipped picture of the emoji code ("1F604"), or a null image when there is none.
    QImage emoji(const QString &code) const;

    // A JPEG or PNG file (whatever its suffix says), or a null image.
    static QImage loadPicture(const QString &path);

private:
    BubblePictures();

    using PieceSet = std::array<QImage, kPieceCount>;
    static PieceSet loadPieces(const QString &dir, const QString &prefix);

    PieceSet m_received;
    PieceSet m_sent;
    QImage m_emptyPhoto;
    mutable QMutex m_emojiLock;
    mutable QHash<QString, QImage> m_emoji;
};
