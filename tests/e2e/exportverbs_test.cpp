#include "clitest.h"
#include "pdfprobe.h"

#include "testfiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

namespace {

using ::testing::HasSubstr;

// The shared phone saved into the local database "archive" through the command line.
class ExportVerbs : public PhoneCliTest
{
protected:
    void SetUp() override
    {
        PhoneCliTest::SetUp();
        ok({"save", m_phone, "--to", "archive"});
    }

    QString out(const char *name) const { return m_data.filePath(QLatin1String(name)); }

    int messageCount() { return static_cast<int>(cli({"messages", "archive"}).jsonLines().size()); }
};

} // namespace

TEST_F(ExportVerbs, ExportWritesCsvAndTxtWithTheDialogPathRules)
{
    const QList<QJsonObject> csv =
        ok({"export", "archive", "--format", "csv", "--out", out("all")});
    ASSERT_EQ(csv.size(), 1);
    EXPECT_EQ(csv.first().value("messages").toInt(), kMessages);
    EXPECT_EQ(csv.first().value("path").toString(), out("all.csv"));
    // The picture by its file name, not a marker (the CSV rules themselves are checked once, in
    // the export tests).
    const QString text = QString::fromUtf8(readAll(out("all.csv")));
    EXPECT_TRUE(text.contains(",[p.jpg]\n")) << text.toStdString();

    ok({"export", "archive", "--format", "doc", "--out", out("bob"), "--chat", "+15550002"});
    const QStringList lines = QString::fromUtf8(readAll(out("bob.doc"))).split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[1].endsWith("=1+1"));
}

TEST_F(ExportVerbs, HtmlExportWritesPagesWithTheirPictures)
{
    ok({"export", "archive", "--format", "html", "--out", out("p")});
    const QDir folder(out("p-html"));
    EXPECT_FALSE(folder.entryList({"*.html"}, QDir::Files).isEmpty());
    EXPECT_TRUE(folder.exists("files/style.css"));
    // Emoji pictures come only with pages that show them; these show none.
    EXPECT_FALSE(folder.exists("emoji"));
}

TEST_F(ExportVerbs, PdfExportWritesOneReadableFilePerChat)
{
    ok({"export", "archive", "--format", "pdf", "--out", out("p")});
    const QDir folder(out("p-pdf"));
    const QStringList files = folder.entryList({"*.pdf"}, QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString &file : files)
        EXPECT_GE(PdfProbe::pageCount(folder.filePath(file)), 1) << qPrintable(file);
}

TEST_F(ExportVerbs, ExportErrorsHaveTheirExitCodes)
{
    failure({"export", "archive", "--format", "xls", "--out", out("x")}, 2);
    failure({"export", "archive", "--format", "csv"}, 2);
    failure({"export", "nosuchdb", "--format", "csv", "--out", out("x")});
    failure({"export", "archive", "--format", "csv", "--out", out("x"), "--chat", "nobody"});
}

TEST_F(ExportVerbs, ExtractCopiesAttachmentsIntoANewFolder)
{
    const QList<QJsonObject> first = ok({"extract", m_phone, "--out", out("media")});
    ASSERT_EQ(first.size(), 1);
    const QString folder = first.first().value("folder").toString();
    EXPECT_TRUE(QFileInfo(folder).fileName().startsWith("attachments("));
    EXPECT_EQ(QFileInfo(folder).absolutePath(), out("media"));
    EXPECT_EQ(first.first().value("files").toInt(), 1);
    EXPECT_EQ(readAll(QDir(folder).filePath("p.jpg")), m_picture);

    // A second run never mixes its files into the first one's folder.
    const QList<QJsonObject> again =
        ok({"extract", m_phone, "--out", out("media"), "--chat", "+15550002"});
    ASSERT_EQ(again.size(), 1);
    EXPECT_NE(again.first().value("folder").toString(), folder);
    EXPECT_EQ(again.first().value("files").toInt(), 0);
}

TEST_F(ExportVerbs, DeleteChangesLocalDatabasesOnly)
{
    EXPECT_THAT(failure({"delete", m_phone, "--chat", "+15550002"}),
                HasSubstr("not a local database"));
    failure({"delete", "archive"}, 2);
    failure({"delete", "archive", "--message", "x"}, 2);
    failure({"delete", "archive", "--message", "1", "--chat", "+15550002"}, 2);
    failure({"delete", "archive", "--message", "1", "999"});
    EXPECT_EQ(messageCount(), kMessages); // an unknown row id deletes nothing

    EXPECT_EQ(ok({"delete", "archive", "--chat", "+15550002"}).value(0).value("deleted").toInt(),
              1);
    EXPECT_EQ(cli({"chats", "archive"}).jsonLines().size(), 2);

    // Ann's two messages: her chat goes with them, the group stays.
    const QList<QJsonObject> left = cli({"messages", "archive"}).jsonLines();
    ASSERT_EQ(left.size(), kMessages - 1);
    const QString rowids = QStringLiteral("%1,%2")
                               .arg(left[0].value("rowid").toInteger())
                               .arg(left[1].value("rowid").toInteger());
    EXPECT_EQ(
        ok({"delete", "archive", "--message", rowids}).value(0).value("files_removed").toInt(), 1);
    EXPECT_EQ(messageCount(), 1);
    EXPECT_EQ(cli({"chats", "archive"}).jsonLines().size(), 1);
}
