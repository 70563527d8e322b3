#include "android/androidrestoresmsthread.h"

#include "android/androidlog.h"
#include "android/simpleprotocol.h"
#include "frame/absprogress.h"
#include "frame/translation.h"
#include "iosdb/ios6messagedb.h"
#include "model/msgattachment.h"
#include "model/msgfunctions.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTcpSocket>

#include <algorithm>

namespace {

constexpr int kServiceStartMs = 10000;
constexpr qint64 kChunkBytes = 524288;
constexpr int kMaxPictureSide = 1080;
constexpr qint64 kUnixTo2001Ms = 978307200000LL;

} // namespace

AndroidRestoreSMSThread::AndroidRestoreSMSThread(const AndroidDevice &device,
                                                 const QList<_MsgMessage *> &messages,
                                                 AbsProgress &progress, QObject *parent)
    : ProgressWorker(progress, lcAndroid, "transfer", parent)
    , m_device(device)
    , m_writer(device.cacheDir(), device.mmc)
{
    for (_MsgMessage *message : messages) {
        // System items and messages without an address have no place on the phone.
        if (message->item_type == 0 && message->handle)
            m_messages.append(message);
        else
            ++m_skipped;
    }
    std::stable_sort(m_messages.begin(), m_messages.end(), compareMsgMessageAsc);
}

AndroidRestoreSMSThread::~AndroidRestoreSMSThread() = default;

void AndroidRestoreSMSThread::work()
{
    transfer();
    finish();
    QString text = g_tr("IDS_SUC_RESTORE_%1_SMS_TO_ANDROID").arg(m_messages.size());
    if (m_skipped != 0)
        text += g_tr("IDS_SKIP_%1_SMS_GROUP_OR_SYS_MESSAGES").arg(m_skipped);
    if (m_switchedApp)
        text += g_tr("IDS_ANDROID_RESUME_DEFAULT_SMS_APP");
    progress().invokeSucceed(text);
}

void AndroidRestoreSMSThread::rollback(bool)
{
    finish();
}

void AndroidRestoreSMSThread::finish()
{
    m_socket.reset();
    if (!m_recording)
        return;
    m_recording = false;
    m_writer.uninit();
}

void AndroidRestoreSMSThread::transfer()
{
    progress().invokeUpdateProgress(g_tr("IDS_RESTORING_SMS_TO_ANDROID"), 0, QString());
    m_writer.init();
    m_recording = true;
    m_socket = m_device.triggerService(
        QStringLiteral("restore2://127.0.0.1:%1/mms/").arg(portAlloc()), kServiceStartMs);
    switchDefaultApp();

    IOS6MessageDb &cache = m_writer.db();
    const int total = int(m_messages.size());
    for (int first = 0; first < total; first += kBatchSize) {
        progress().throwIfCancelled();
        const int end = std::min(total, first + kBatchSize);
        send(QStringLiteral("$batch:"), QString(), true);
        QList<_MsgMessage *> sent;
        for (int k = first; k < end; ++k) {
            progress().throwIfCancelled();
            progress().invokeUpdateProgress(QString(), int(qint64(k + 1) * 100 / total),
                                            QStringLiteral("SMS: %1/%2").arg(k + 1).arg(total));
            _MsgMessage *message = m_messages.at(k);
            if (cache.findMessageHash(*message) != 0) {
                ++m_alreadyThere;
                continue;
            }
            if (!sendMessage(*message))
                ++m_failed;
            sent.append(message);
        }
        send(QStringLiteral("$end:"), QString(), true);
        readFeedback(QStringLiteral("$batch:"));
        // Only now has the phone stored the batch.
        for (_MsgMessage *message : sent)
            m_writer.write(*message);
        m_sent += int(sent.size());
    }
    send(QStringLiteral("$bye:"), QString(), true);
}

void AndroidRestoreSMSThread::switchDefaultApp()
{
    const QString feedback = readFeedback(QStringLiteral("$defsmsapp:"));
    if (feedback.mid(11).trimmed().toInt() == 0)
        return;
    progress().invokeTipsWait(g_tr("IDS_ANDROID_SET_DEFAULT_SMS_APP_TIPS"));
    progress().waitForUser();
    send(QStringLiteral("$defsmsapp:"), QString(), true);
    m_switchedApp = true;
}

bool AndroidRestoreSMSThread::sendMessage(const _MsgMessage &message)
{
    const QList<_MsgAttachment *> attachments = message.attachments();
    const QString line = QStringLiteral("%0,%1,%2,%3,%4,%5")
                             .arg(qint64(message.date) * 1000 + kUnixTo2001Ms)
                             .arg(message.is_from_me != 0 ? 1 : 0)
                             .arg(simpleprotocol::toBase64(message.handle->id),
                                  simpleprotocol::toBase64(message.plainText()),
                                  simpleprotocol::toBase64(message.subject()))
                             .arg(attachments.size());
    send(QStringLiteral("$sms:"), line, false);
    bool whole = true;
    for (const _MsgAttachment *attachment : attachments) {
        progress().throwIfCancelled();
        send(QStringLiteral("$atta:"),
             QStringLiteral("%1,%2").arg(attachment->mime_type,
                                         QFileInfo(attachment->localPath).fileName()),
             true);
        if (!sendAttachment(*attachment))
            whole = false;
        send(QStringLiteral("."), QString(), true);
        readFeedback(QStringLiteral("."));
    }
    return whole;
}

bool AndroidRestoreSMSThread::sendAttachment(const _MsgAttachment &attachment)
{
    if (attachment.mime_type.startsWith(QLatin1String("image"), Qt::CaseInsensitive) &&
        sendPicture(attachment)) {
        return true;
    }
    // Pictures of other formats (GIF, HEIC, ...) go as they are rather than not at all.
    return sendFile(attachment);
}

bool AndroidRestoreSMSThread::sendPicture(const _MsgAttachment &attachment)
{
    QImage picture;
    if (!picture.load(attachment.localPath, "JPEG") && !picture.load(attachment.localPath, "PNG"))
        return false;
    if (std::max(picture.width(), picture.height()) > kMaxPictureSide) {
        picture = picture.width() > picture.height() ? picture.scaledToWidth(kMaxPictureSide)
                                                     : picture.scaledToHeight(kMaxPictureSide);
    }
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    const bool png = attachment.mime_type.endsWith(QLatin1String("png"), Qt::CaseInsensitive);
    if (!picture.save(&buffer, png ? "PNG" : "JPEG"))
        return false;
    send(QString(), QString::fromLatin1(encoded.toBase64()), false);
    return true;
}

bool AndroidRestoreSMSThread::sendFile(const _MsgAttachment &attachment)
{
    QFile file(attachment.localPath);
    if (attachment.localPath.isEmpty() || !QFileInfo(file).isFile() ||
        !file.open(QIODevice::ReadOnly)) {
        qCWarning(lcAndroid) << "attachment not readable, sent without data:"
                             << attachment.localPath;
        return false;
    }
    const QString name = QFileInfo(file).fileName();
    const qint64 size = file.size();
    qint64 done = 0;
    m_chunk.resize(kChunkBytes);
    while (true) {
        const qint64 n = file.read(m_chunk.data(), kChunkBytes);
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        send(QString(),
             QString::fromLatin1(QByteArray::fromRawData(m_chunk.constData(), n).toBase64()),
             false);
        done += n;
        progress().invokeUpdateProgress(
            QString(), -1,
            QStringLiteral("Sending %1, %L2/%L3 KB").arg(name).arg(done / 1024).arg(size / 1024));
    }
}

void AndroidRestoreSMSThread::send(const QString &command, const QString &parameter, bool flush)
{
    simpleprotocol::sendCommand(*m_socket, command, parameter, flush,
                                simpleprotocol::kIdleTimeoutMs);
}

QString AndroidRestoreSMSThread::readFeedback(const QString &expected)
{
    return simpleprotocol::readFeedback(*m_socket, expected, simpleprotocol::kIdleTimeoutMs);
}
