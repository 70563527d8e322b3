// An export fed one message at a time from the message stream must write exactly the files an
// export of the loaded list writes: the same names, in the same order of chats, byte for byte.
#include "recordingprogress.h"
#include "testfiles.h"

#include "export/exportmessagesthread.h"
#include "fixtures/smsdbwriter.h"
#include "iosdb/ios6messagedb.h"
#include "iosdb/ios6messagestream.h"
#include "model/msgdata.h"
#include "model/msgmessage.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <memory>

namespace {

using Message = SmsDbWriter::Message;

// Chats whose dates interleave: two that differ only in the case of their identifier (exported
// as one conversation, dated by the newer), a group, two chats ending at the same date, two
// whose file names clash (the older conversation, met first, keeps the plain name), an
// attachment, a reaction shown with its target in another chat and one whose target is missing,
// and a reply to a message of another chat.
void writePhone(const QDir &folder)
{
    SmsDbWriter w(folder, SmsDbWriter::Layout::Extended);
    for (const char *column : {"associated_message_guid text", "associated_message_type integer",
                               "associated_message_emoji text", "thread_originator_guid text"})
        w.exec(QStringLiteral("alter table message add column %1").arg(QLatin1String(column)));
    const qint64 anna = w.addHandle(QStringLiteral("+15551230001"));
    const qint64 ben = w.addHandle(QStringLiteral("+15551230002"));
    const qint64 leo = w.addHandle(QStringLiteral("Leo@Example.com"), QStringLiteral("iMessage"));
    const qint64 leoLower = w.addHandle(QStringLiteral("leo@example.com"));
    const qint64 annaChat = w.addChat(anna);
    const qint64 benChat = w.addChat(ben);
    const qint64 leoChat = w.addChat(leo);
    const qint64 leoLowerChat = w.addChat(leoLower);
    const qint64 group = w.addGroupChat({anna, ben}, QStringLiteral("iMessage"));
    const qint64 clashOld = w.addChat(w.addHandle(QStringLiteral("ann?@x.com")));
    const qint64 clashNew = w.addChat(w.addHandle(QStringLiteral("ann*@x.com")));
    w.addMessage(clashNew, Message::at(8000, 0));
    w.addMessage(clashOld, Message::at(10, 0));
    w.addMessage(annaChat, Message::at(100, anna));
    w.addMessage(leoLowerChat, Message::at(150, leoLower));
    const QByteArray picture("not really a picture");
    w.addAttachment(w.addMessage(annaChat, Message::at(200, 0)),
                    QStringLiteral("~/Library/SMS/Attachments/p.jpg"), QStringLiteral("image/jpeg"),
                    &picture);
    w.addMessage(leoChat, Message::at(300, leo));
    w.addMessage(group, Message::at(2000, ben));
    w.addMessage(benChat, Message::at(4000, ben));
    w.addMessage(annaChat, Message::at(5000, anna, QStringLiteral("A1")));
    w.setReaction(w.addMessage(benChat, Message::at(5010, ben)), QStringLiteral("A1"), 2000);
    w.setReaction(w.addMessage(annaChat, Message::at(5040, 0)), QStringLiteral("GONE"), 2003);
    w.addMessage(benChat, Message::at(7000, ben));
    w.exec(QStringLiteral("update message set thread_originator_guid = 'A1' where rowid = %1")
               .arg(w.addMessage(group, Message::at(7500, ben))));
    w.addMessage(group, Message::at(7000, anna));
    w.addMessage(leoChat, Message::at(9000, 0));
    w.close();
}

// Every file written below folder with its bytes, one block each.
QString filesOf(const QString &folder)
{
    QString all;
    for (const QString &name : filesBelow(folder))
        all += name + QLatin1Char('\n') + QString::fromUtf8(readAll(folder + '/' + name)) + '\n';
    return all;
}

bool run(ExportMessagesThread &worker, RecordingProgress &progress)
{
    const bool ok = progress.run(worker);
    EXPECT_TRUE(ok) << progress.endText().toStdString();
    return ok;
}

QString loadedExport(const QDir &phone, ExportFormat format, const QString &path)
{
    IOS6MessageDb db(phone, QString(), false);
    MsgData data;
    db.messages(data, 0);
    db.close();
    QDir().mkpath(QFileInfo(path).path());
    QList<_MsgMessage *> listed = data.messages();
    listed.removeIf([](const _MsgMessage *msg) { return !msg->isShownAlone(); });
    RecordingProgress progress;
    ExportMessagesThread worker(listed, path, format, progress);
    run(worker, progress);
    EXPECT_EQ(worker.exportedCount(), listed.size());
    return filesOf(QFileInfo(path).path());
}

QString streamedExport(const QDir &phone, ExportFormat format, const QString &path)
{
    IOS6MessageDb db(phone, QString(), false);
    MsgData data;
    IOS6MessageStream stream(db, data);
    stream.linkAsLoaded();
    stream.prepare();
    QDir().mkpath(QFileInfo(path).path());
    RecordingProgress progress;
    ExportMessagesThread worker(
        [&](const auto &total, const auto &write) {
            ExportMessagesThread::feedFrom(stream, format, total, write);
        },
        path, format, progress);
    run(worker, progress);
    // The progress counts up to the messages written.
    EXPECT_EQ(progress.values().last(), 100);
    return filesOf(QFileInfo(path).path());
}

struct Case
{
    const char *name;
    ExportFormat format;
    const char *target; // a file, or the folder of a per-chat format
    const char *shown;  // what the sample shows in this format
};

class StreamedExport : public testing::TestWithParam<Case>
{};

TEST_P(StreamedExport, WritesTheFilesOfALoadedExport)
{
    QTemporaryDir dir;
    const QDir root(dir.path());
    writePhone(root.filePath(QStringLiteral("phone")));
    const QString target = QLatin1String(GetParam().target);
    const QString expected = loadedExport(root.filePath(QStringLiteral("phone")), GetParam().format,
                                          root.filePath(QStringLiteral("loaded/out/") + target));
    const QString got = streamedExport(root.filePath(QStringLiteral("phone")), GetParam().format,
                                       root.filePath(QStringLiteral("streamed/out/") + target));
    EXPECT_EQ(got.toStdString(), expected.toStdString());
    // The sample holds what the comparison is about: the reaction shown with its target, and
    // the quote of the message replied to.
    EXPECT_FALSE(expected.contains(QLatin1String("at 5010")));
    EXPECT_TRUE(expected.contains(QString::fromUtf8(GetParam().shown)));
}

INSTANTIATE_TEST_SUITE_P(
    Formats, StreamedExport,
    testing::Values(Case{"Csv", ExportFormat::Csv, "messages.csv", "at 7500"},
                    Case{"Html", ExportFormat::Html, "chats", "Reply to “at 5000”"}),
    [](const testing::TestParamInfo<Case> &info) { return std::string(info.param.name); });

} // namespace
