#include "export/exportmessagesthread.h"

#include "export/chatorder.h"
#include "export/exportlog.h"
#include "export/exportmessageshtml.h"
#include "frame/absprogress.h"
#include "frame/filenames.h"
#include "frame/progressstep.h"
#include "frame/translation.h"
#include "iosdb/ios6messagestream.h"
#include "model/msgchat.h"
#include "model/msgfunctions.h"
#include "model/msgmessage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace {

void makeFolder(const QString &path)
{
    if (!QDir().mkpath(path))
        throw std::runtime_error(g_tr("IDS_CANNOT_CREATE_FOLDER").arg(path).toStdString());
}

} // namespace

ExportMessagesThread::ExportMessagesThread(const QList<_MsgMessage *> &messages,
                                           const QString &path, FormatType format,
                                           AbsProgress &progress, QObject *parent)
    : ProgressWorker(progress, lcExport, "export", parent)
    , m_messages(messages)
    , m_path(path)
    , m_format(format)
{}

ExportMessagesThread::ExportMessagesThread(MessageFeed feed, const QString &path, FormatType format,
                                           AbsProgress &progress, QObject *parent)
    : ProgressWorker(progress, lcExport, "export", parent)
    , m_feed(std::move(feed))
    , m_path(path)
    , m_format(format)
{}

void ExportMessagesThread::feedFrom(IOS6MessageStream &messages, FormatType format,
                                    const std::function<void(qsizetype)> &total,
                                    const std::function<void(_MsgMessage &)> &write)
{
    // The stream lists in message order, which is the order of a one-file format.
    if (g_isPerChatFormat(format))
        messages.groupByChat(g_chatGroupRanks(messages.listedChats()));
    total(messages.listedCount());
    messages.visit(write);
}

void ExportMessagesThread::work()
{
    if (m_feed) {
        // The source is read first: one that fails says only why, as a failed load does, and
        // leaves no file or folder behind.
        m_feed(
            [this](qsizetype total) {
                announce();
                begin(total);
            },
            [this](_MsgMessage &message) { writeMessage(message); });
    } else {
        announce();
        if (g_isPerChatFormat(m_format))
            g_sortMessagesByChat(m_messages);
        else
            g_sortMessages(m_messages, Qt::AscendingOrder);
        begin(m_messages.size());
        for (_MsgMessage *message : std::as_const(m_messages))
            writeMessage(*message);
    }
    if (m_exporter) {
        m_exporter->uninit();
        m_exporter.reset();
    }
    progress().invokeSucceed(g_tr("IDS_SUC_EXPORT_%1_MMS").arg(m_exported));
}

void ExportMessagesThread::announce()
{
    progress().invokeUpdateProgress(g_tr("IDS_EXPORTING_MESSAGES_TO_FILE"), -1, QString());
}

void ExportMessagesThread::begin(qsizetype total)
{
    m_total = total;
    if (g_isPerChatFormat(m_format)) {
        makeFolder(m_path);
        return;
    }
    // Made before the first message, so that an empty selection still gives a file.
    m_exporter = g_createExporter(m_format, m_path);
    m_exporter->init();
}

void ExportMessagesThread::writeMessage(_MsgMessage &message)
{
    progress().throwIfCancelled();
    reportProgress(m_exported + 1, static_cast<int>(m_total));
    if (g_isPerChatFormat(m_format) && (!m_exporter || g_exportChatKey(message) != m_chatKey))
        switchChat(message);
    m_exporter->write(message);
    ++m_exported;
}

void ExportMessagesThread::rollback(bool)
{
    // An unfinished exporter removes its partial file.
    m_exporter.reset();
}

void ExportMessagesThread::switchChat(const _MsgMessage &message)
{
    if (m_exporter) {
        m_exporter->uninit();
        m_exporter.reset();
    } else if (m_format == ExportFormat::Html) {
        copyPageResources();
    }
    m_chatKey = g_exportChatKey(message);
    // Two chats can share a name (or a name can be left over from an earlier export); neither
    // may overwrite the other's file.
    const QString unique = g_getValidFilePath(QDir(m_path).filePath(chatFileName(message)));
    m_exporter = g_createExporter(m_format, m_path, QFileInfo(unique).fileName());
    m_exporter->init();
}

QString ExportMessagesThread::chatFileName(const _MsgMessage &message) const
{
    QString base;
    if (message.chat)
        base = message.chat->isGroup() ? message.chat->chat_identifier
                                       : message.chat->displayName(true);
    base = g_formatFileName(base);
    // A name made only of characters no file name may hold, or one that names a folder link.
    if (base.isEmpty() || base == QLatin1String(".") || base == QLatin1String(".."))
        base = QStringLiteral("unknown-chat");
    return base + g_chatFileSuffix(m_format);
}

void ExportMessagesThread::copyPageResources() const
{
    makeFolder(m_path);
    ExportMessagesHtml::copySharedPictures(m_path);
}

void ExportMessagesThread::reportProgress(int done, int total)
{
    if (!g_isProgressStep(done, total))
        return;
    progress().invokeUpdateProgress(QString(), g_progressPercent(done, total),
                                    g_tr("IDS_SMS_%1_%2").arg(done).arg(total));
}
