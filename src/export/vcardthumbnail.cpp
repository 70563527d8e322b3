#include "export/vcardthumbnail.h"

#include "export/exportlog.h"
#include "frame/appdirs.h"
#include "frame/filenames.h"
#include "frame/translation.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLocale>
#include <QPainter>
#include <QSaveFile>

namespace {

// The smallest card; it grows to hold long numbers, addresses and more lines, up to a limit.
constexpr int kWidth = 200;
constexpr int kHeight = 90;
constexpr int kMaxWidth = 420;
constexpr int kMaxHeight = 400;
constexpr int kMargin = 5;
constexpr int kPhotoSize = 47;
constexpr int kTextLeft = kMargin + kPhotoSize + 1;
constexpr int kMinTextWidth = 190 - kTextLeft;
constexpr int kMaxTextWidth = kMaxWidth - kMargin * 2 - kTextLeft;
constexpr int kFontSize = 11;
constexpr int kMaxPhones = 4;
// Contact cards are small; anything larger is not one worth reading into memory.
constexpr qint64 kMaxCardFileSize = 64 * 1024 * 1024;

QImage photoImage(const QByteArray &photo)
{
    QImage image;
    if (!photo.isEmpty() && !image.loadFromData(photo, "JPEG") && !image.loadFromData(photo, "PNG"))
        image.loadFromData(photo);
    if (image.isNull())
        image.load(QStringLiteral(":/res/contact.png"));
    return image;
}

// Draws label (bold italic) and, when present, value after it; returns the height used.
int drawEntityVal(QPainter &painter, QFont font, int x, int y, int width, const QString &label,
                  const QString &value, bool singleLine)
{
    font.setWeight(QFont::Bold);
    font.setItalic(true);
    painter.setFont(font);
    QRect labelRect;
    painter.drawText(QRect(x, y, width, kMaxHeight),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, label, &labelRect);
    if (value.isEmpty())
        return labelRect.height();
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    painter.setFont(font);
    const int left = labelRect.right() + 3;
    if (singleLine) {
        const QRect valueRect(left, labelRect.top(), x + width - 2 - left, labelRect.height());
        painter.drawText(valueRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, value);
        return labelRect.height();
    }
    // The value wraps within what is left of the column, so that it stays on the card.
    QRect valueRect;
    painter.drawText(QRect(left, y, x + width - left, kMaxHeight),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, value, &valueRect);
    return valueRect.height();
}

QString birthdayText(const QString &birthday)
{
    QDate date = QDateTime::fromString(birthday, Qt::ISODate).date();
    if (!date.isValid())
        date = QDate::fromString(birthday, Qt::ISODate);
    if (!date.isValid())
        date = QDate::fromString(birthday.left(8), QStringLiteral("yyyyMMdd"));
    // A date written some other way is still worth showing as it stands.
    return date.isValid() ? QLocale::system().toString(date, QLocale::ShortFormat) : birthday;
}

// The width a one-line entry needs: its label in bold italic, a gap, its value.
int entryWidth(QFont font, const QString &label, const QString &value)
{
    font.setWeight(QFont::Bold);
    font.setItalic(true);
    int width = QFontMetrics(font).horizontalAdvance(label);
    if (!value.isEmpty()) {
        font.setWeight(QFont::Normal);
        font.setItalic(false);
        width += 3 + QFontMetrics(font).horizontalAdvance(value) + 2;
    }
    return width;
}

QFont cardFont(int pixelSize)
{
    QFont font = QGuiApplication::font();
    font.setPixelSize(pixelSize);
    return font;
}

// Wide enough for the name and every one-line entry (numbers, e-mail), within the limits.
int textWidthFor(const ct_info &info)
{
    int width = entryWidth(cardFont(kFontSize + kFontSize / 7), info.name, QString());
    const QFont font = cardFont(kFontSize);
    width =
        qMax(width, entryWidth(font, (info.title + QLatin1Char(' ') + info.organisation).trimmed(),
                               QString()));
    for (const QString &phone : info.phones.mid(0, kMaxPhones))
        width = qMax(width, entryWidth(font, g_tr("IDS_VCARD_PHONE"), phone));
    if (!info.email.isEmpty())
        width = qMax(width, entryWidth(font, g_tr("IDS_VCARD_EMAIL"), info.email));
    return qBound(kMinTextWidth, width, kMaxTextWidth);
}

// Draws the entries in a column textWidth wide; returns the height they took.
int drawText(QPainter &painter, const ct_info &info, int textWidth)
{
    QFont font = cardFont(kFontSize + kFontSize / 7);
    int y = kMargin;
    const auto entry = [&](const QString &label, const QString &value, bool singleLine) {
        y += drawEntityVal(painter, font, kTextLeft, y, textWidth, label, value, singleLine) + 1;
    };
    entry(info.name, QString(), true);
    font.setPixelSize(kFontSize);
    if (!info.title.isEmpty() || !info.organisation.isEmpty()) {
        const QString blank = info.organisation.isEmpty() ? QString() : QStringLiteral(" ");
        entry((info.title + blank + info.organisation).trimmed(), QString(), true);
    }
    if (!info.birthday.isEmpty())
        entry(g_tr("IDS_VCARD_BIRTHDAY"), birthdayText(info.birthday), false);
    for (const QString &phone : info.phones.mid(0, kMaxPhones))
        entry(g_tr("IDS_VCARD_PHONE"), phone, true);
    if (!info.email.isEmpty())
        entry(g_tr("IDS_VCARD_EMAIL"), info.email, true);
    if (!info.address.isEmpty())
        entry(g_tr("IDS_VCARD_ADDRESS"), info.address, false);
    return y;
}

QByteArray readCardFile(const QString &path)
{
    QFile file(path);
    if (!g_isPlainFile(path) || !file.open(QIODevice::ReadOnly)) {
        qCDebug(lcExport) << "cannot read contact card" << path << file.errorString();
        return QByteArray();
    }
    if (file.size() > kMaxCardFileSize) {
        qCWarning(lcExport) << "contact card too large to show" << path << file.size();
        return QByteArray();
    }
    return file.read(kMaxCardFileSize);
}

} // namespace

QString vcard_thumbnailPath(const QString &path)
{
    return g_previewCacheDir().filePath(g_pathHash(path) + QStringLiteral(".png"));
}

QImage vcard_renderCard(const ct_info &info)
{
    // The text is laid out first, on a sheet as large as a card may be, so that the card can be
    // made as large as its text: a card of fixed size cut long numbers and addresses off.
    const int textWidth = textWidthFor(info);
    const int width = qMax(kWidth, kTextLeft + textWidth + kMargin * 2);
    QImage text(width, kMaxHeight, QImage::Format_ARGB32_Premultiplied);
    text.fill(Qt::transparent);
    int used = 0;
    {
        QPainter painter(&text);
        painter.setPen(Qt::black);
        used = drawText(painter, info, textWidth);
    }
    const int height = qBound(kHeight, used + kMargin, kMaxHeight);

    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(219, 226, 237));
    QPainter painter(&image);
    painter.setPen(QColor(185, 185, 187));
    painter.drawRect(0, 0, width - 1, height - 1);
    const QImage photo = photoImage(info.photo);
    if (!photo.isNull()) {
        painter.drawImage(
            QPoint(kMargin, kMargin),
            photo.scaled(kPhotoSize, kPhotoSize, Qt::KeepAspectRatio, Qt::FastTransformation));
    }
    painter.drawImage(QPoint(0, 0), text, QRect(0, 0, width - kMargin, height - 2));
    return image;
}

QString vcard_thumbnail(const QString &path)
{
    const QString picturePath = vcard_thumbnailPath(path);
    if (QFile::exists(picturePath))
        return picturePath;
    const QByteArray bytes = readCardFile(path);
    if (bytes.isEmpty())
        return QString();
    const QList<QVCardParser::Card> cards = QVCardParser::parse(bytes);
    if (cards.isEmpty())
        return QString();
    const QImage image = vcard_renderCard(ct_info::fromCard(cards.first()));
    // Written aside and renamed into place: the temporary folder is shared, so a link planted
    // under this name is replaced rather than written through, and no half-written picture is
    // ever found by a later call.
    QSaveFile file(picturePath);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit()) {
        qCWarning(lcExport) << "cannot save contact card picture" << picturePath
                            << file.errorString();
        return QString();
    }
    return picturePath;
}
