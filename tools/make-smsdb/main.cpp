// Writes a phone message folder: either a small demo history (one-to-one chats, a group with a
// member who left, system items, attachments present and missing) or a bulk one for benchmarks.
#include "fixtures/modernsmsdbwriter.h"
#include "fixtures/smsdbwriter.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include <exception>

namespace {

void writeDemo(SmsDbWriter &w)
{
    const qint64 anna = w.addHandle(QStringLiteral("+15551230001"));
    const qint64 annaIm = w.addHandle(QStringLiteral("+15551230001"), QStringLiteral("iMessage"));
    const qint64 ben = w.addHandle(QStringLiteral("ben@example.com"), QStringLiteral("iMessage"));
    const qint64 cleo = w.addHandle(QStringLiteral("+15551230003"), QStringLiteral("iMessage"));

    const qint64 annaSms = w.addChat(anna);
    const qint64 annaChat = w.addChat(annaIm);
    const qint64 group =
        w.addGroupChat({annaIm, ben, cleo}, QStringLiteral("iMessage"), QStringLiteral("Trip"));

    int date = 420000000;
    auto message = [&](qint64 chat, qint64 handle, const QString &text) {
        SmsDbWriter::Message m;
        m.text = text;
        m.date = date += 600;
        m.handle = handle;
        m.fromMe = handle == 0;
        return w.addMessage(chat, m);
    };
    message(annaSms, anna, QStringLiteral("Are you coming tonight?"));
    message(annaSms, 0, QStringLiteral("Yes, at eight."));
    message(annaChat, annaIm, QStringLiteral("Switched to iMessage"));
    const qint64 photo = message(annaChat, 0, QStringLiteral("\uFFFC"));
    const QByteArray jpeg = QByteArrayLiteral("\xFF\xD8\xFF\xE0 demo picture");
    w.addAttachment(photo, QStringLiteral("~/Library/SMS/Attachments/ab/01/IMG_0001.JPG"),
                    QStringLiteral("image/jpeg"), &jpeg);
    message(group, ben, QStringLiteral("Who brings the tent?"));
    message(group, cleo, QStringLiteral("I do"));
    const qint64 missing = message(group, cleo, QStringLiteral("\uFFFC"));
    w.addAttachment(missing, QStringLiteral("/var/mobile/Library/SMS/Attachments/cd/02/map.png"),
                    QStringLiteral("image/png"));
    SmsDbWriter::Message left;
    left.date = date += 600;
    left.handle = cleo;
    left.itemType = 3;
    w.addMessage(group, left);
    w.removeFromChat(group, cleo);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes a phone message folder holding file-relay/var/mobile/Library/SMS/"
                       "sms.db (demo history, or --messages N for a bulk one)."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("folder"), QStringLiteral("Folder to write."));
    const QCommandLineOption messages(QStringLiteral("messages"),
                                      QStringLiteral("Bulk: number of messages."),
                                      QStringLiteral("N"));
    const QCommandLineOption chats(QStringLiteral("chats"),
                                   QStringLiteral("Bulk: number of chats."), QStringLiteral("M"),
                                   QStringLiteral("100"));
    const QCommandLineOption original(QStringLiteral("original"),
                                      QStringLiteral("The first iOS 6 tables (no item_type)."));
    const QCommandLineOption wal(QStringLiteral("wal"),
                                 QStringLiteral("Leave the rows in a write-ahead log."));
    const QCommandLineOption modern(
        QStringLiteral("modern"),
        QStringLiteral("Bulk: as later phones keep it (nanosecond dates, archived texts)."));
    parser.addOptions({messages, chats, original, wal, modern});
    parser.process(app);
    QTextStream err(stderr);
    if (parser.positionalArguments().size() != 1) {
        err << parser.helpText();
        return 2;
    }
    try {
        if (parser.isSet(modern) && parser.isSet(messages)) {
            ModernSmsDbWriter writer(QDir(parser.positionalArguments().first()));
            writer.addBulk(parser.value(messages).toInt(), parser.value(chats).toInt());
            writer.close();
            QTextStream(stdout) << writer.base().dbPath() << '\n';
            return 0;
        }
        SmsDbWriter writer(QDir(parser.positionalArguments().first()),
                           parser.isSet(original) ? SmsDbWriter::Layout::Original
                                                  : SmsDbWriter::Layout::Extended,
                           parser.isSet(wal));
        if (parser.isSet(messages))
            writer.addBulk(parser.value(messages).toInt(), parser.value(chats).toInt());
        else
            writeDemo(writer);
        writer.close();
        QTextStream(stdout) << writer.dbPath() << '\n';
    } catch (const std::exception &e) {
        err << e.what() << '\n';
        return 1;
    }
    return 0;
}
