#pragma once

#include "model/countryinfo.h"
#include "model/msgdata.h"

#include <QDir>
#include <QHash>
#include <QList>
#include <QString>
#include <QXmlStreamReader>

#include <memory>

class QXmlStreamAttributes;
struct _MsgChat;
struct _MsgHandle;
struct _MsgMessage;

// Reads an Android XML message backup (`<smses>` of `<sms>` and `<mms>` records), or a .zip
// holding one, into a MsgData in one streaming pass: chats by the set of addresses, one message
// per record, MMS parts as attachments whose bytes are written into a cache folder under names
// of our own (a name from the file never decides a path). Memory holds the records, never the
// document or the attachment data beyond one part at a time.
class SmsXmlReader
{
public:
    // cacheFolder receives the attachment files (created when missing); country formats the
    // addresses as every other source does (an empty one only removes punctuation).
    SmsXmlReader(const QString &path, const QDir &cacheFolder,
                 const _CountryInfo &country = _CountryInfo());
    ~SmsXmlReader();

    // Adds every record to data, which holds no records yet. Throws std::runtime_error with a
    // one-line text for the user when the file cannot be read or is not such a backup.
    void read(MsgData &data);

    // The same from an open device holding the XML (the path then only names the source in
    // errors and attachment ids).
    void read(QIODevice &device, MsgData &data);

    // Whether a path names a file this reader is meant for (by its suffix: .xml or .zip).
    static bool isCandidate(const QString &path);
    // The data folder's cache of one backup file, named after the file's absolute path.
    static QDir defaultCacheDir(const QString &path);

private:
    struct Part;
    struct Record;

    void prepare(MsgData &data);
    void readDocument(QIODevice &device);
    void readSms();
    void readMms();
    void readPart(Record &record);
    void readAddrs(Record &record);
    void addRecord(const Record &record);
    void addAttachment(_MsgMessage &message, const Part &part);

    _MsgHandle *handleFor(const QString &address);
    _MsgChat *chatFor(const QList<_MsgHandle *> &participants);
    QString writePartFile(const QString &guid, const QString &suffix, const QByteArray &bytes);
    [[noreturn]] void fail(const QString &reason) const;

    const QString m_path;
    const QDir m_cacheFolder;
    const _CountryInfo m_country;
    QXmlStreamReader m_xml;
    __MsgData *m_data = nullptr;
    QHash<QString, _MsgHandle *> m_handles;
    QHash<QString, _MsgChat *> m_chats;
    qint64 m_records = 0;
    qint64 m_attachments = 0;
};
