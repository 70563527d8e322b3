#include "export/bubblepictures.h"

#include "export/exportlog.h"
#include "export/picturedirs.h"

#include <QDir>
#include <QFileInfo>
#include <QMutexLocker>

namespace {

// The shipped pieces are named by their cell of the frame, row by row.
const char *const kPieceNames[BubblePictures::kPieceCount] = {
    "top_left",     "top_middle",  "top_right",     "middle_left", "middle_middle",
    "middle_right", "bottom_left", "bottom_middle", "bottom_right"};

} // namespace

const BubblePictures &BubblePictures::instance()
{
    static const BubblePictures pictures;
    return pictures;
}

BubblePictures::BubblePictures()
{
    const QString dir = g_bubblePictureDir();
    if (dir.isEmpty())
        qCWarning(lcExport) << "no bubble pictures found; printed bubbles have no frame";
    m_received = loadPieces(dir, QStringLiteral("bb1_"));
    m_sent = loadPieces(dir, QStringLiteral("bb2_"));
    if (!dir.isEmpty())
        m_emptyPhoto = loadPicture(QDir(dir).filePath(QStringLiteral("empty_photo.jpg")));
}

BubblePictures::PieceSet BubblePictures::loadPieces(const QString &dir, const QString &prefix)
{
    PieceSet pieces;
    if (dir.isEmpty())
        return pieces;
    for (int i = 0; i < kPieceCount; ++i) {
        const QString name = prefix + QLatin1String(kPieceNames[i]) + QStringLiteral(".png");
        pieces[i] = QImage(QDir(dir).filePath(name), "PNG");
        if (pieces[i].isNull())
            qCWarning(lcExport) << "bubble piece missing:" << name;
    }
    return pieces;
}

const QImage &BubblePictures::piece(bool fromMe, int index) const
{
    return (fromMe ? m_sent : m_received).at(static_cast<size_t>(index));
}

QMargins BubblePictures::border(bool fromMe)
{
    // The tail of a bubble lies in its wide side: right for sent, left for received.
    return fromMe ? QMargins(29, 27, 41, 25) : QMargins(40, 28, 29, 24);
}

const QImage &BubblePictures::emptyPhoto() const
{
    return m_emptyPhoto;
}

QImage BubblePictures::emoji(const QString &code) const
{
    const QString key = code.toUpper();
    QMutexLocker locker(&m_emojiLock);
    const auto found = m_emoji.constFind(key);
    if (found != m_emoji.constEnd())
        return *found;
    QImage picture;
    if (g_hasEmojiPicture(key))
        picture = QImage(QDir(g_emojiPictureDir()).filePath(key + QStringLiteral(".png")), "PNG");
    // Codes without a picture are remembered too, so that each code is looked up once.
    m_emoji.insert(key, picture);
    return picture;
}

QImage BubblePictures::loadPicture(const QString &path)
{
    // A missing file would make the image reader try the name with every suffix it knows.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return QImage();
    QImage picture(path, "JPEG");
    if (picture.isNull())
        picture = QImage(path, "PNG");
    return picture;
}
