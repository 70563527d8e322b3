#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>

class MsgData;

// A private copy of a phone's databases (messages with their write-ahead log, address book) in
// the data folder, read instead of the originals: reading writes (SQLite's -shm and -wal files,
// the contacts lookup, the MMS part files of old phones), and a phone's folder or backup is never
// written. It also makes a database on a read-only disk readable. Attachments stay where they
// are: after loading, their paths are pointed back into the source folder.
class PhoneDbCopy
{
public:
    // source: a folder holding "file-relay/...". The copy goes into a new folder of its own
    // below the data folder's "phone_copy", so that two programs reading one phone at once do not
    // meet; it is removed with this object.
    explicit PhoneDbCopy(const QDir &source);
    ~PhoneDbCopy();
    PhoneDbCopy(const PhoneDbCopy &) = delete;
    PhoneDbCopy &operator=(const PhoneDbCopy &) = delete;

    // Copies the databases; links and other non-regular files are left out (and logged). Throws
    // std::runtime_error naming the file that cannot be copied.
    void make();
    // Empty when the copied message database passes SQLite's quick check; else the problem.
    QString damage() const { return damageOf(dbPath()); }
    // The same for any database file.
    static QString damageOf(const QString &dbPath);
    // Whether the database holds the message tables of a phone of either layout (an empty or
    // foreign database does not).
    static bool isMessageDb(const QString &dbPath);
    // Replaces the copied message database by every row SQLite can still read from it; returns
    // the number of rows of its message table. Throws std::runtime_error when not even its list of
    // tables can be read.
    int salvage();
    // Points attachment paths below the copy back to the source folder's files.
    void restoreAttachmentPaths(MsgData &data) const;

    const QDir &folder() const { return m_copy; }
    QString dbPath() const;

private:
    void copyDbFile(const QString &relativePath) const;

    const QDir m_source;
    QTemporaryDir m_folder;
    const QDir m_copy;
};
