#pragma once

#include "model/absdb.h"

#include <QString>

#include <memory>

class AbsDbEdit;

// The record of what a backup's cache folder holds: for each stored file of the backup, the
// modified time of the manifest record when the file was last extracted. One transaction stays
// open from the first use until commit() or the destructor, so an interrupted extraction leaves
// the record as it was before.
class BkCacheDb : public AbsDb
{
public:
    // No date is known for the file: it has never been extracted.
    static constexpr qint64 kNoDate = -1;

    // Opens nothing.
    explicit BkCacheDb(const QString &path);
    // Commits what is still open; errors are only logged.
    ~BkCacheDb() override;
    BkCacheDb(const BkCacheDb &) = delete;
    BkCacheDb &operator=(const BkCacheDb &) = delete;

    // Creates the file from the schema when it is missing, opens it and begins the transaction.
    // Throws std::runtime_error.
    void openCheck() override;

    // The date recorded for the stored file, or kNoDate.
    qint64 fileDateSecs(const QString &fileName);
    void setFileDate(const QString &fileName, qint64 secs);
    void remove(const QString &fileName);

    // Makes the changes so far permanent and closes the file.
    void commit();
    // Drops the changes so far and closes the file.
    void discard();

    const QString &filePath() const { return m_filePath; }

private:
    void createFromSchema();

    const QString m_filePath;
    std::unique_ptr<AbsDbEdit> m_edit;
};
