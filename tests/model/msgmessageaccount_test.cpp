#include "model/msgmessage.h"

#include <gtest/gtest.h>

#include <QtConcurrent>

// Messages that repeat the sending account share its values; changing one message's values never
// changes another's, in whatever order the values are set, on any thread.
TEST(MsgMessageAccount, SharedValuesStayEachMessagesOwn)
{
    const auto fill = [](_MsgMessage &m, int account) {
        m.setService(account % 2 ? QStringLiteral("iMessage") : QStringLiteral("SMS"));
        m.setAccount(QStringLiteral("e:%1").arg(account));
        m.setAccountGuid(account ? QStringLiteral("G%1").arg(account) : QString());
        m.setCountry(QStringLiteral("us"));
    };
    const auto check = [](const _MsgMessage &m, int account) {
        EXPECT_EQ(m.service(), account % 2 ? "iMessage" : "SMS");
        EXPECT_EQ(m.account(), QStringLiteral("e:%1").arg(account));
        EXPECT_EQ(m.account_guid(), account ? QStringLiteral("G%1").arg(account) : QString());
        EXPECT_EQ(m.country(), "us");
    };
    // More accounts than the blocks a thread keeps at hand, alternating.
    const QList<int> threads = {0, 1, 2, 3};
    QtConcurrent::blockingMap(threads, [&](int) {
        std::vector<_MsgMessage> messages(200);
        for (size_t i = 0; i < messages.size(); ++i)
            fill(messages[i], int(i % 40));
        messages[1].setAccount(QStringLiteral("changed"));
        messages[3].setCountry(QString());
        for (size_t i = 0; i < messages.size(); ++i) {
            if (i == 1) {
                EXPECT_EQ(messages[i].account(), "changed");
            } else if (i == 3) {
                EXPECT_TRUE(messages[i].country().isEmpty());
            } else {
                check(messages[i], int(i % 40));
            }
        }
        _MsgMessage copy = messages[0];
        copy.setService(QStringLiteral("iMessage"));
        check(messages[0], 0);
        messages[0].setService(QString());
        messages[0].setAccount(QString());
        messages[0].setCountry(QString());
        EXPECT_TRUE(messages[0].service().isEmpty() && messages[0].account().isEmpty());
        EXPECT_EQ(copy.account(), "e:0");
    });
}
