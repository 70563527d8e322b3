#include "frame/translation.h"

#include <gtest/gtest.h>

TEST(Translation, EmbeddedEnglishTextReplacesKey)
{
    EXPECT_EQ(g_tr("IDS_APP_TITLE"), QStringLiteral("TextLink"));
    EXPECT_EQ(g_tr("IDS_NO_SUCH_KEY"), QStringLiteral("IDS_NO_SUCH_KEY"));
}
