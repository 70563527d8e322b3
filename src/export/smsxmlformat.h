#pragma once

#include <QString>

// The Android XML backup format (`<smses>` of `<sms>` and `<mms>` records) as far as reader and
// writer must agree on it: codes, dates and the direction of a record.
class SmsXmlFormat
{
public:
    // `<sms type>`: 1 received, 2 sent, 3 draft, 4 outbox, 5 failed, 6 queued.
    static constexpr int kSmsReceived = 1;
    static constexpr int kSmsSent = 2;
    // `<mms msg_box>`: 1 inbox, 2 sent, 3 drafts, 4 outbox, 5 failed.
    static constexpr int kBoxInbox = 1;
    static constexpr int kBoxSent = 2;
    // `<mms m_type>`: the MMS PDU type of a sent and of a received message.
    static constexpr int kPduSendRequest = 128;
    static constexpr int kPduRetrieveConf = 132;
    // `<addr type>`: MMS PDU header codes.
    static constexpr int kAddrFrom = 137;
    static constexpr int kAddrTo = 151;
    static constexpr int kAddrCc = 130;
    static constexpr int kAddrBcc = 129;
    // `chset` of UTF-8 text (IANA MIBenum).
    static constexpr int kCharsetUtf8 = 106;

    // Java milliseconds since 1970 as seconds since 2001, the way the phone's databases count,
    // clamped to the range of the records' 32-bit dates.
    static int date21FromMillis(qint64 millis);
    // The reverse, reading the sum with 1970 as unsigned 32 bits like every other date display.
    static qint64 millisFromDate21(int seconds);

    // Whether an `<sms type>` is the owner's (everything but received).
    static bool isSmsFromMe(int type);
    // Whether an `<mms>` is the owner's: by msg_box, else by m_type when the box is missing.
    static bool isMmsFromMe(int msgBox, int pduType);

    // The app writes absent values as the text "null".
    static QString orEmpty(const QString &value);

    // Several addresses of one MMS are joined with "~" in its `address` attribute.
    static QChar addressSeparator() { return QLatin1Char('~'); }
};
