#include "frame/errortext.h"

#include <gtest/gtest.h>

TEST(OneLine, DamagedDataCannotBreakOrGarbleAnErrorLine)
{
    const struct
    {
        QString text;
        QString line;
    } cases[] = {
        {QStringLiteral("no such table: msg"), QStringLiteral("no such table: msg")},
        {QStringLiteral("bad\nname\r\n\tgoes on"), QStringLiteral("bad name goes on")},
        {QStringLiteral("bell\a\x1b[31mred"), QStringLiteral("bell [31mred")},
        {QStringLiteral("\n  edge  \x7f"), QStringLiteral("edge")},
        {QString::fromUtf8("bytes \xff\xfe here"), QStringLiteral("bytes ?? here")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(g_oneLine(c.text), c.line) << c.text.toStdString();
}
