// Messages a phone stored oddly are saved or said to be unsaved, and distinct ones stay distinct:
// dates no date can hold, iMessages whose chats the phone lists under other identifiers.
#include "clitest.h"

#include "fixtures/ios5smsdbwriter.h"
#include "fixtures/smsdbwriter.h"

#include <QTemporaryDir>

namespace {

class UnreadableDates : public CliTest
{
protected:
    // Saves the phone twice; the counts of the first run, then checks the second finds all known.
    int saveTwice()
    {
        const int first =
            ok({"save", m_phone.path(), "--to", "Archive"}).value(0)["saved"].toInt(-1);
        EXPECT_EQ(ok({"save", m_phone.path(), "--to", "Archive"}).value(0)["saved"].toInt(-1), 0)
            << "saved again";
        return first;
    }

    QTemporaryDir m_phone;
};

TEST_F(UnreadableDates, MessagesWithDatesOutOfRangeStayApart)
{
    {
        SmsDbWriter w(QDir(m_phone.path()), SmsDbWriter::Layout::Extended);
        const qint64 ann = w.addHandle(QStringLiteral("+15550001"));
        const qint64 chat = w.addChat(ann);
        SmsDbWriter::Message m;
        m.text = QStringLiteral("same words");
        m.handle = ann;
        for (int i = 0; i < 4; ++i)
            w.addMessage(chat, m);
        // Seconds beyond any date, and nanoseconds that are as far out.
        w.exec(QStringLiteral("update message set date=5000000000 where rowid<=2"));
        w.exec(QStringLiteral("update message set date=9000000000000000000 where rowid>2"));
    }
    EXPECT_EQ(ok({"messages", m_phone.path()}).size(), 4);
    EXPECT_EQ(saveTwice(), 4);
}

TEST_F(UnreadableDates, Ios5IMessagesOfUnlistedChatsAreSaved)
{
    const QString ben = QStringLiteral("ben@example.com");
    {
        IOS5SmsDbWriter w{QDir(m_phone.path())};
        w.addIMessageChat(QStringLiteral("+15550009999"), {QStringLiteral("+15550009999")});
        IOS5SmsDbWriter::IMessage m;
        m.text = QStringLiteral("same words");
        m.handle = ben;
        m.date = 350000000;
        for (int i = 0; i < 3; ++i)
            w.addIMessage(m);
        m.roomName = QStringLiteral("chat4242");
        m.date += 60;
        w.addIMessage(m);
        w.exec(QStringLiteral("update message set date=5000000000 where rowid<=2"));
    }
    const QStringList chats = strs(ok({"messages", m_phone.path()}), "chat_identifier");
    EXPECT_EQ(chats.size(), 4);
    EXPECT_FALSE(chats.contains(QString()));
    EXPECT_EQ(saveTwice(), 4);
}

} // namespace
