// A save fed one message at a time from the message stream must store exactly what a save of the
// loaded list stores, row for row and in the same order, and count the same.
#include "modernphonesample.h"
#include "recordingprogress.h"

#include "iosdb/ios6messagedb.h"
#include "iosdb/ios6messagestream.h"
#include "localdb/backupsmsthread.h"
#include "model/msgdata.h"
#include "model/msgfunctions.h"
#include "model/msgmessage.h"
#include "model/sqlite3cursor.h"
#include "model/sqlite3db.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <string>

namespace {

struct Outcome
{
    int processed = 0;
    int inserted = 0;
    std::string rows;
};

// Every row of every table, in storing order, each value as hex; one line a row.
std::string tableRows(const QDir &folder)
{
    Sqlite3DB db;
    db.openThrow(folder.filePath(QStringLiteral("file-relay/var/mobile/Library/SMS/sms.db")),
                 Sqlite3DB::kOpenReadOnly);
    QStringList tables;
    Sqlite3Cursor names =
        db.queryThrow("select name from sqlite_master where type='table' order by name");
    while (names.moveNext())
        tables << names.getText(0);
    QStringList rows;
    for (const QString &table : std::as_const(tables)) {
        Sqlite3Cursor c =
            db.queryThrow(QStringLiteral("select * from \"%1\" order by rowid").arg(table));
        while (c.moveNext()) {
            QStringList values{table};
            for (int i = 0; i < c.columnCount(); ++i)
                values << QString::fromLatin1(c.getBlob(i).toHex());
            rows << values.join(QLatin1Char('|'));
        }
    }
    return rows.join(QLatin1Char('\n')).toStdString();
}

Outcome finished(BackupSMSThread &worker, RecordingProgress &progress, const QDir &target)
{
    EXPECT_TRUE(progress.run(worker)) << progress.endText().toStdString();
    EXPECT_EQ(progress.values().last(), 100);
    return {worker.processedCount(), worker.insertedCount(), tableRows(target)};
}

Outcome loadedSave(const QDir &phone, const QDir &target)
{
    IOS6MessageDb db(phone, QString(), false);
    MsgData data;
    db.messages(data, 0);
    db.close();
    QList<_MsgMessage *> listed = data.messages();
    listed.removeIf([](const _MsgMessage *msg) { return !msg->isShownAlone(); });
    g_sortMessages(listed, Qt::AscendingOrder);
    RecordingProgress progress;
    BackupSMSThread worker(listed, target, QString(), progress);
    return finished(worker, progress, target);
}

Outcome streamedSave(const QDir &phone, const QDir &target)
{
    IOS6MessageDb db(phone, QString(), false);
    RecordingProgress progress;
    BackupSMSThread worker(
        [&db](const auto &total, const auto &write) {
            MsgData data;
            IOS6MessageStream stream(db, data);
            stream.prepare();
            total(stream.messageCount());
            stream.visit(write);
            stream.visitLinkedReactions(write);
        },
        target, QString(), progress);
    return finished(worker, progress, target);
}

class StreamedSaveTest : public ::testing::TestWithParam<bool>
{};

TEST_P(StreamedSaveTest, StoresWhatALoadedSaveStores)
{
    QTemporaryDir dir;
    const QDir phone(dir.filePath(QStringLiteral("phone")));
    ModernPhoneSample::write(phone, GetParam());
    const QDir loadedDb(dir.filePath(QStringLiteral("loaded")));
    const QDir streamedDb(dir.filePath(QStringLiteral("streamed")));
    // First every message is new, then every one is already there.
    for (const bool again : {false, true}) {
        const Outcome loaded = loadedSave(phone, loadedDb);
        const Outcome streamed = streamedSave(phone, streamedDb);
        ASSERT_GT(loaded.processed, 0);
        EXPECT_EQ(loaded.inserted, again ? 0 : loaded.processed);
        EXPECT_EQ(streamed.processed, loaded.processed);
        EXPECT_EQ(streamed.inserted, loaded.inserted);
        EXPECT_EQ(streamed.rows, loaded.rows);
    }
}

INSTANTIATE_TEST_SUITE_P(Phones, StreamedSaveTest, ::testing::Values(false, true),
                         [](const auto &info) { return info.param ? "Later" : "Older"; });

} // namespace
