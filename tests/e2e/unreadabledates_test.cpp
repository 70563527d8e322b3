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
        const QList<QJsonObject> first = ok({"save", m_phone.path(), "--to", "Archive"});
        const QList<QJsonObject> second = ok({"save", m_phone.path(), "--to", "Archive"});
        if (first.size() != 1 || second.size() != 1)
            return -1;
        EXPECT_EQ(second[0].value("saved").toInt(), 0) << "saved again";
        return first[0].value("saved").toInt();
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
    const QList<QJsonObject> listed = ok({"messages", m_phone.path()});
    ASSERT_EQ(listed.size(), 4);
    for (const QJsonObject &line : listed)
        EXPECT_FALSE(str(line, "chat_identifier").isEmpty());
    EXPECT_EQ(saveTwice(), 4);
}

} // namespace
