#pragma once

#include "model/absformatexport.h"

#include <QSaveFile>
#include <QString>
#include <QStringList>
#include <QXmlStreamWriter>

struct _MsgAttachment;
struct _MsgMessage;

// Messages as one Android XML message backup (`<smses>`), the file the Android backup apps
// restore on any phone: a message of a one-to-one chat without attachments is an `<sms>`, every
// other one an `<mms>` that keeps a group's members in `<addrs>` and carries its attachments as
// base64 `<part>` data. Written as a stream, one attachment in memory at a time. Group events
// have no form in the file and are left out. Like the text exports, the file appears only when
// uninit() has written all of it.
class ExportMessagesXml : public AbsFormatExport<_MsgMessage>
{
public:
    explicit ExportMessagesXml(const QString &path);
    ~ExportMessagesXml() override;

    // Opens the file and writes the root. Throws std::runtime_error with the system's text.
    void init() override;
    void write(_MsgMessage &message) override;
    // Closes the root, fills in the record count and puts the file in place.
    void uninit() override;

    // Records written so far.
    qint64 count() const { return m_count; }

private:
    void writeSms(const _MsgMessage &message, const QString &address);
    void writeMms(const _MsgMessage &message, const QStringList &participants);
    void writeParts(const _MsgMessage &message);
    void writeTextPart(const QString &text, int number);
    void writeAttachmentPart(const _MsgAttachment &attachment);
    void writeAddr(const QString &address, int type);
    void writeNullAttributes(std::initializer_list<const char *> names);
    [[noreturn]] void fail() const;

    const QString m_path;
    QSaveFile m_file;
    QXmlStreamWriter m_xml;
    qint64 m_countPos = -1;
    qint64 m_count = 0;
};
