#pragma once

#include "frame/consoleprogress.h"
#include "model/msgdata.h"

#include <QDir>
#include <QSharedPointer>
#include <QString>

#include <functional>
#include <memory>

class AbsMessageDb;
class IOS6MessageStream;
class PhoneDbCopy;
struct _MsgMessage;

// What a SOURCE argument names, opened for reading: a local database of the data folder (by
// name), a folder laid out like one (an extracted phone or a copied local database), an iPhone
// backup folder, which is extracted into its cache in the data folder first, a connected iPhone
// ("ios:UDID", backed up or relayed into its cache first), a file relay archive ("*.cpio",
// "*.cpio.gz", unpacked into the cache first), or an Android XML message backup (.xml, or a .zip
// holding one), read straight from the file.
class CliSource
{
public:
    enum class Kind { LocalDb, Folder, Backup, Device, Archive, SmsXml, Android };

    // Throws std::runtime_error with a text for the user when the source is unknown or of a kind
    // that cannot be read yet.
    explicit CliSource(const QString &source);
    ~CliSource();

    Kind kind() const { return m_kind; }
    // A database this program keeps (named in the data folder, or a folder holding one), as
    // opposed to a phone's own database or a backup.
    bool isLocalDatabase() const { return m_localDatabase; }
    // The database folder (the one holding "file-relay"); a backup's cache folder.
    const QDir &folder() const { return m_folder; }
    // Loads every chat and message; the database is closed again afterwards, so that a save into
    // the same database writes through a connection of its own.
    MsgData load();
    // Loads every chat, and the messages only of the chats whose identifier is chatIdentifier:
    // a verb about one conversation need not read a whole archive. Closes the database as load().
    MsgData load(const QString &chatIdentifier);
    // Calls show with every message load() would list (g_selectMessages), in that order, reading
    // each message's row only when its turn comes: listing a large database does not hold it
    // whole. Closes the database as load(). False, calling nothing, for a source not read that
    // way; load() it instead.
    bool visitMessages(const std::function<void(const _MsgMessage &)> &show);
    // Whether visitMessages and visitSavedMessages read this source (true) or refuse it.
    bool visitsMessages() const;
    // Like visitMessages, for a save: calls counted once with how many messages a load holds,
    // then save with each message in the order a save of the loaded list stores them (the listed
    // ones, then the reactions shown with their targets).
    bool visitSavedMessages(const std::function<void(qsizetype)> &counted,
                            const std::function<void(_MsgMessage &)> &save);
    // Runs visit over a prepared stream of the messages load() would list, for a caller that
    // orders or counts them itself; linked: chats and replies are linked as a load links them
    // (IOS6MessageStream::linkAsLoaded). Closes the database as load(). False, calling nothing,
    // as visitMessages.
    bool visitStream(bool linked, const std::function<void(IOS6MessageStream &)> &visit);

    // Where a database folder keeps its message file.
    static QString smsDbPath(const QDir &folder);
    // Whether a damaged phone database is read for what is left of it (--salvage) instead of
    // refused.
    static void setSalvageDamaged(bool salvage);
    static bool salvageDamaged();
    // How the progress of reading a phone shows (the verbs' --quiet); on stderr by default.
    static void setProgressOutput(ConsoleProgress::Output output);

private:
    // Runs visit over a stream of the database's messages; false when the source is not read so.
    bool stream(const std::function<void(IOS6MessageStream &)> &visit, bool linked = false);
    void openDb();
    void openBackup(const QString &source);
    // Reads a phone's databases through a private copy, checked for damage first.
    void openPhoneCopy(const QDir &source, const QString &countryCode = QString());
    // A damaged database (the copy in m_copy) fails the run unless --salvage asks for what is
    // left of it.
    void refuseOrSalvage(const QDir &source, const QString &damage);
    // After a salvaged read: how many messages were read.
    void reportSalvaged(qsizetype messages) const;
    void openDevice(const QString &udid);
    void openArchive(const QString &path);
    // "android:SERIAL" or "android-wifi:HOST[:PORT]": the phone's cache after loading it.
    void openAndroid(const QString &source);

    Kind m_kind = Kind::LocalDb;
    QDir m_folder;
    QString m_xmlPath;
    QSharedPointer<AbsMessageDb> m_db;
    bool m_localDatabase = false;
    std::unique_ptr<PhoneDbCopy> m_copy;
    int m_salvaged = -1;
};
