#include "ui/androidwifiform.h"

#include <gtest/gtest.h>

TEST(AndroidWifiForm, AddressPattern)
{
    const struct
    {
        const char *typed;
        const char *host;
    } cases[] = {
        {"192.168.1.20", "192.168.1.20"},
        {"  10.0.0.300 ", "10.0.0.300"}, // octets are not limited to 255
        {"phone.local", ""},
        {"10.0.0", ""},
        {"10.0.0.1:44441", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(AndroidWIFIForm::matchAddress(QString::fromLatin1(c.typed)),
                  QString::fromLatin1(c.host))
            << c.typed;
}
