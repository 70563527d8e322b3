#pragma once

#include "model/absiosmessagedb.h"
#include "model/countryinfo.h"

#include <QDir>
#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class CountryLibDb;
class IOSContactsMemDb;
class MsgData;
class __MsgData;
class Sqlite3Cursor;
struct _MsgChat;
struct _MsgHandle;
struct _MsgMessage;

// The phone's message database of the iOS 5 layout (SMS and MMS in groups, MMS parts stored in
// the database, iMessages in madrid_ columns and tables), read into the same records as the iOS 6
// layout. What the old layout lacks (chat guids and identifiers, message and attachment guids,
// attachment files for MMS parts) is made up while reading; nothing is ever written back.
//
// Row ids of made-up records are chosen so that they never meet real ones in one MsgData: SMS
// chats and addresses keep their msg_group and group_member row ids, iMessage chats and their
// attachments are negative, and a further MMS part gets a message of its own below
// kExtraMessageBase.
class IOS5MessageDb : public AbsIOSMessageDb
{
public:
    // The row id of the extra message made for MMS part p is kExtraMessageBase - p.
    static constexpr qint64 kExtraMessageBase = -1647483648LL;
    // An iMessage chat that has no madrid_chat row is made from its messages' room or handle,
    // with a row id from kMadeChatBase downwards.
    static constexpr qint64 kMadeChatBase = -1099511627776LL;

    // mmc: the phone's mobile country code, empty when unknown. countryCode: a lower-case short
    // code ("us") that, when not empty, is the phone's country instead of the mmc's: it formats
    // iMessage addresses and the numbers of the address book. Opens nothing.
    IOS5MessageDb(const QDir &folder, const QString &mmc, const QString &countryCode = QString());
    ~IOS5MessageDb() override;

    // Opens the existing database; a missing file is an error and no file is made for it.
    void openCheck() override;
    void chats(MsgData &data) override;
    // chatId > 0: one SMS chat; chatId < 0: one iMessage chat (which never has MMS parts);
    // 0: everything.
    void messages(MsgData &data, qint64 chatId) override;
    int type() const override { return kIOS5; }

    // The "file-relay" folder: root of the mirrored phone file system.
    const QString &root() const { return m_root; }
    const QString &dbPath() const { return m_dbPath; }
    // Table name to its stored CREATE text; filled by openCheck().
    const QHash<QString, QString> &tableSql() const { return m_tableSql; }

private:
    class Loader;

    // The address book's name and photo for handle; lookup failures are logged, never thrown.
    // Countries are looked up once per code, not once per address.
    const _CountryInfo &countryByCode(const QString &code);

    void smsChats(MsgData &data);
    void smsMembers(MsgData &data);
    void imessageChats(MsgData &data);
    std::unique_ptr<_MsgChat> imessageChat(const Sqlite3Cursor &c, qint64 rowid,
                                           const QString &rawIdentifier, __MsgData &d);
    void madeIMessageChats(__MsgData &d);
    std::unique_ptr<_MsgChat> madeIMessageChat(qint64 rowid, const QString &room,
                                               const QString &identifier) const;
    _MsgHandle *newIMessageHandle(__MsgData &d, const QString &address);
    // The statement selecting the iMessages of a made chat.
    QString madeChatCondition(qint64 chatId, QStringList &params) const;

    const QDir m_folder;
    const QString m_root;
    const QString m_dbPath;
    // The country of addresses the phone stores without one; looked up once.
    const _CountryInfo &defaultCountry();

    const QString m_countryCode;
    std::optional<_CountryInfo> m_defaultCountry;
    std::unique_ptr<CountryLibDb> m_countryLib;
    std::unique_ptr<IOSContactsMemDb> m_contacts;
    QHash<QString, QString> m_tableSql;
    QHash<QString, _CountryInfo> m_countries;
    // A made chat's room (empty for one person) and the handles as the messages store them.
    struct MadeChat
    {
        QString room;
        QStringList rawHandles;
    };
    QHash<qint64, MadeChat> m_madeChats;
};
