#include "modernphonesample.h"

#include "fixtures/modernsmsdbwriter.h"
#include "fixtures/smsdbwriter.h"

#include <libheif/heif.h>

namespace {

using Modern = ModernSmsDbWriter::Message;

struct Common
{
    const char *guid;
    const char *text;
    int offset;
    bool fromLeo;
};

// What both layouts hold; the later phone keeps the first and last only in archived bodies.
const Common kCommon[] = {
    {ModernPhoneSample::kAsk, "Are we still on for Friday?", 0, true},
    {ModernPhoneSample::kAnswer, "Yes! 7pm \xF0\x9F\x8D\x95", 60, false},
    {ModernPhoneSample::kThanks, "Great, see you", 120, true},
};

Modern modern(const QString &text, int offset, qint64 sender)
{
    Modern m;
    m.text = text;
    m.date = ModernPhoneSample::kBase + offset;
    m.handle = sender;
    m.fromMe = sender == 0;
    return m;
}

Modern reaction(int type, const QString &target, int offset, qint64 sender)
{
    Modern m = modern(QString(), offset, sender);
    m.reactionType = type;
    m.reactionTarget = target;
    return m;
}

heif_error writeToVector(heif_context *, const void *data, size_t size, void *userdata)
{
    auto *out = static_cast<QByteArray *>(userdata);
    out->append(static_cast<const char *>(data), qsizetype(size));
    return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

} // namespace

QByteArray ModernPhoneSample::heicPicture()
{
    heif_context *context = heif_context_alloc();
    heif_encoder *encoder = nullptr;
    QByteArray out;
    if (heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code ==
        heif_error_Ok) {
        heif_image *image = nullptr;
        constexpr int kSide = 64;
        heif_image_create(kSide, kSide, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image);
        heif_image_add_plane(image, heif_channel_interleaved, kSide, kSide, 8);
        int stride = 0;
        uint8_t *pixels = heif_image_get_plane(image, heif_channel_interleaved, &stride);
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                uint8_t *p = pixels + y * stride + 3 * x;
                p[0] = uint8_t(4 * x);
                p[1] = uint8_t(4 * y);
                p[2] = 200;
            }
        }
        heif_encoder_set_lossy_quality(encoder, 50);
        heif_writer writer{1, &writeToVector};
        if (heif_context_encode_image(context, image, encoder, nullptr, nullptr).code ==
            heif_error_Ok)
            heif_context_write(context, &writer, &out);
        heif_image_release(image);
        heif_encoder_release(encoder);
    }
    heif_context_free(context);
    return out;
}

void ModernPhoneSample::write(const QDir &folder, bool later)
{
    if (!later) {
        SmsDbWriter w(folder, SmsDbWriter::Layout::Extended);
        const qint64 leo = w.addHandle(QString::fromLatin1(kLeo), QStringLiteral("iMessage"));
        const qint64 chat = w.addChat(leo);
        for (const Common &c : kCommon) {
            SmsDbWriter::Message m;
            m.text = QString::fromUtf8(c.text);
            m.date = kBase + c.offset;
            m.handle = c.fromLeo ? leo : 0;
            m.fromMe = !c.fromLeo;
            m.guid = QString::fromLatin1(c.guid);
            w.addMessage(chat, m);
        }
        w.close();
        return;
    }

    ModernSmsDbWriter w(folder);
    SmsDbWriter &base = w.base();
    const qint64 leo = base.addHandle(QString::fromLatin1(kLeo), QStringLiteral("iMessage"));
    const qint64 chat = base.addChat(leo);
    for (const Common &c : kCommon) {
        Modern m = modern(QString::fromUtf8(c.text), c.offset, c.fromLeo ? leo : 0);
        m.guid = QString::fromLatin1(c.guid);
        m.archivedOnly = c.fromLeo;
        w.addMessage(chat, m);
    }
    const QString ask = QString::fromLatin1(kAsk);
    const QString answer = QString::fromLatin1(kAnswer);
    w.addMessage(chat, reaction(2000, QStringLiteral("p:0/") + answer, 130, leo));
    w.addMessage(chat, reaction(2001, QStringLiteral("bp:") + ask, 140, 0));
    w.addMessage(chat, reaction(3001, QStringLiteral("bp:") + ask, 150, 0));
    Modern party = reaction(2006, QString::fromLatin1(kThanks), 160, leo);
    party.reactionEmoji = QStringLiteral("\U0001F389");
    w.addMessage(chat, party);
    w.addMessage(
        chat, reaction(2003, QStringLiteral("p:0/0A5C1E00-0000-4000-8000-00000000FFFF"), 170, leo));

    Modern reply = modern(QStringLiteral("Bring the board game"), 200, leo);
    reply.guid = QString::fromLatin1(kReply);
    reply.replyTo = ask;
    reply.archivedOnly = true;
    w.addMessage(chat, reply);
    Modern edited = modern(QStringLiteral("Running late"), 300, 0);
    edited.guid = QString::fromLatin1(kEdited);
    edited.edits = QStringList{QStringLiteral("Runing late")};
    w.addMessage(chat, edited);
    Modern unsent = modern(QStringLiteral("oops"), 400, leo);
    unsent.guid = QString::fromLatin1(kUnsent);
    unsent.unsent = true;
    w.addMessage(chat, unsent);

    const qint64 picture = w.addMessage(chat, modern(QString(QChar(0xFFFC)), 500, 0));
    const QByteArray heic = heicPicture();
    base.addAttachment(picture, QStringLiteral("~/Library/SMS/Attachments/ab/11/T1/IMG_0001.HEIC"),
                       QStringLiteral("image/heic"), heic.isEmpty() ? nullptr : &heic);
    // An audio message whose file is in nobody's backup.
    const qint64 audio = w.addMessage(chat, modern(QString(QChar(0xFFFC)), 600, leo));
    base.addAttachment(audio, QStringLiteral("~/Library/SMS/Attachments/cd/22/T2/Audio.caf"),
                       QStringLiteral("audio/x-caf"));
    w.close();
}
