#include "frame/translation.h"
#include "testfiles.h"

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QRegularExpression>
#include <QSet>

namespace {

// Every key the sources look up with g_tr("...").
QSet<QString> keysUsedInSources()
{
    static const QRegularExpression call(
        QStringLiteral("g_tr\\(\\s*\"((?:[^\"\\\\]|\\\\.)+)\"\\s*\\)"));
    QSet<QString> keys;
    QDirIterator it(QStringLiteral(TEXTLINK_SOURCE_DIR "/src"),
                    {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString text = QString::fromUtf8(readAll(it.next()));
        for (auto m = call.globalMatch(text); m.hasNext();)
            keys.insert(m.next().captured(1).replace(QStringLiteral("\\\""), QStringLiteral("\"")));
    }
    return keys;
}

} // namespace

TEST(Translation, EmbeddedEnglishTextReplacesKey)
{
    EXPECT_EQ(g_tr("IDS_APP_TITLE"), QStringLiteral("TextLink"));
    EXPECT_EQ(g_tr("IDS_NO_SUCH_KEY"), QStringLiteral("IDS_NO_SUCH_KEY"));
}

TEST(Translation, EveryKeyTheSourcesUseIsTranslated)
{
    const QSet<QString> keys = keysUsedInSources();
    ASSERT_FALSE(keys.isEmpty());
    for (const QString &key : keys) {
        if (key.startsWith(QLatin1String("IDS_"))) {
            EXPECT_NE(g_tr(key.toUtf8().constData()), key)
                << "missing in res/en.ts: " << key.toStdString();
        }
    }
}

TEST(Translation, TranslationFileIsWellFormedAndHasNoDuplicateKeys)
{
    const QString ts = QString::fromUtf8(readAll(QStringLiteral(TEXTLINK_SOURCE_DIR "/res/en.ts")));
    ASSERT_FALSE(ts.isEmpty());
    static const QRegularExpression source(QStringLiteral("<source>(.*?)</source>"));
    QSet<QString> seen;
    for (auto m = source.globalMatch(ts); m.hasNext();) {
        const QString key = m.next().captured(1);
        EXPECT_FALSE(seen.contains(key)) << "duplicate key: " << key.toStdString();
        seen.insert(key);
    }
    EXPECT_EQ(ts.count(QStringLiteral("<message>")), seen.size());
}
