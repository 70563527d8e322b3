#pragma once

#include "model/msgcompacttext.h"
#include "model/msgmessageaccount.h"
#include "model/msgmessageextras.h"
#include "model/msgrecordmap.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSharedDataPointer>
#include <QString>

#include <array>

struct _MsgAttachment;
struct _MsgChat;
struct _MsgHandle;

// One message. Field names are the columns of the phone's `message` table (the reader and writer
// map them column by column); they are grouped by type rather than in the table's order, which
// spares the padding between them: a million of these are held at once. Dates count seconds since
// 2001-01-01 UTC; flags (is_, was_, has_, cache_has_attachments) are single bits. The columns
// most rows leave empty sit out of line (_MsgMessageExtras), and guid and text are held compactly
// (MsgCompactText); these are reached through accessors.
//
// The link fields at the end point at records of the same MsgData and never own them; copying a
// message copies the links, not the records they point at.
struct _MsgMessage
{
    _MsgMessage();

    qint64 rowid = 0;
    qint64 handle_id = 0;
    qint64 srcRowId = 0; // row id in the phone database it came from; orders close messages
    QByteArray attributedBody;
    int replace = 0;
    int version = 10;
    int type = 0;
    int error = 0;
    int date = 0;
    int date_read = 0;
    int date_delivered = 0;
    int date_played = 0;
    int item_type = 0; // 0 message; 1 added, 2 named, 3 left, 4 location; other: system info
    int other_handle = -1;
    int group_action_type = 0;
    int share_status = 0; // item type 4: 0 started sharing, other stopped
    int share_direction = 0;
    int expire_state = 0;
    int message_action_type = 0;
    int associated_message_type = 0; // 2000-2007 a reaction, 3000-3007 its removal
    int date_edited = 0;
    // 0/1 flags, one bit each; set to 0 by the constructor.
    unsigned is_delivered : 1;
    unsigned is_finished : 1;
    unsigned is_emote : 1;
    unsigned is_from_me : 1;
    unsigned is_empty : 1;
    unsigned is_delayed : 1;
    unsigned is_auto_reply : 1;
    unsigned is_prepared : 1;
    unsigned is_read : 1;
    unsigned is_system_message : 1;
    unsigned is_sent : 1;
    unsigned has_dd_results : 1;
    unsigned is_service_message : 1;
    unsigned is_forward : 1;
    unsigned was_downgraded : 1;
    unsigned is_archive : 1;
    unsigned cache_has_attachments : 1;
    unsigned was_data_detected : 1;
    unsigned was_deduplicated : 1;
    unsigned is_audio_message : 1;
    unsigned is_played : 1;
    unsigned is_expirable : 1;
    // Worked out on loading from the columns above; not stored.
    bool edited = false;
    bool unsent = false;

    _MsgHandle *handle = nullptr;
    _MsgChat *chat = nullptr;
    _MsgHandle *otherHandle = nullptr;
    // A reaction whose target is loaded is shown with the target, not on its own.
    _MsgMessage *reactionTarget = nullptr;
    _MsgMessage *replyTarget = nullptr;
    MsgRecordMap<_MsgAttachment> attachmentMap; // by attachment row id in decimal (iOS 5: guid)
    // Every reaction and removal row aimed at this message, oldest first; see
    // MsgReactions::standing for those still in force.
    QList<_MsgMessage *> reactions;

    QString guid() const { return m_guid.toString(); }
    void setGuid(const QString &v) { m_guid = MsgCompactText(v); }
    void setGuid(MsgCompactText v) { m_guid = std::move(v); }
    const MsgCompactText &compactGuid() const { return m_guid; }
    // May hold U+FFFC where attachments stand; see plainText().
    QString text() const { return m_text.toString(); }
    void setText(const QString &v) { m_text = MsgCompactText(v); }
    void setText(MsgCompactText v) { m_text = std::move(v); }
    const MsgCompactText &compactText() const { return m_text; }

    // The columns of the sending account, shared with the messages that repeat them (see
    // _MsgMessageAccount).
    const QString &country() const { return sent(&_MsgMessageAccount::country); }
    const QString &service() const { return sent(&_MsgMessageAccount::service); }
    const QString &account() const { return sent(&_MsgMessageAccount::account); }
    const QString &account_guid() const { return sent(&_MsgMessageAccount::account_guid); }
    void setCountry(const QString &v) { setSent(&_MsgMessageAccount::country, v); }
    void setService(const QString &v) { setSent(&_MsgMessageAccount::service, v); }
    void setAccount(const QString &v) { setSent(&_MsgMessageAccount::account, v); }
    void setAccountGuid(const QString &v) { setSent(&_MsgMessageAccount::account_guid, v); }

    // The rarely filled columns (see _MsgMessageExtras); empty when not set.
    const QString &service_center() const { return extra(&_MsgMessageExtras::service_center); }
    const QString &subject() const { return extra(&_MsgMessageExtras::subject); }
    const QString &cache_roomnames() const { return extra(&_MsgMessageExtras::cache_roomnames); }
    const QString &group_title() const { return extra(&_MsgMessageExtras::group_title); }
    const QString &associated_message_guid() const
    {
        return extra(&_MsgMessageExtras::associated_message_guid);
    }
    const QString &associated_message_emoji() const
    {
        return extra(&_MsgMessageExtras::associated_message_emoji);
    }
    const QString &thread_originator_guid() const
    {
        return extra(&_MsgMessageExtras::thread_originator_guid);
    }
    const QByteArray &message_summary_info() const
    {
        return extra(&_MsgMessageExtras::message_summary_info);
    }
    void setServiceCenter(const QString &v) { setExtra(&_MsgMessageExtras::service_center, v); }
    void setSubject(const QString &v) { setExtra(&_MsgMessageExtras::subject, v); }
    void setCacheRoomnames(const QString &v) { setExtra(&_MsgMessageExtras::cache_roomnames, v); }
    void setGroupTitle(const QString &v) { setExtra(&_MsgMessageExtras::group_title, v); }
    void setAssociatedMessageGuid(const QString &v)
    {
        setExtra(&_MsgMessageExtras::associated_message_guid, v);
    }
    void setAssociatedMessageEmoji(const QString &v)
    {
        setExtra(&_MsgMessageExtras::associated_message_emoji, v);
    }
    void setThreadOriginatorGuid(const QString &v)
    {
        setExtra(&_MsgMessageExtras::thread_originator_guid, v);
    }
    void setMessageSummaryInfo(const QByteArray &v)
    {
        setExtra(&_MsgMessageExtras::message_summary_info, v);
    }

    // associated_message_type says this row reacts to another message (or takes a reaction back).
    bool isReaction() const;
    // Listed as a message of its own: not a reaction shown with its target.
    bool isShownAlone() const { return !reactionTarget; }

    // The body without the U+FFFC attachment placeholders.
    QString plainText() const;
    // The body as a bubble shows it: the quote of the message a reply answers, the text marked
    // when edited, or the note that the message was unsent.
    QString bubbleText() const;
    // The attachments in ascending row order.
    QList<_MsgAttachment *> attachments() const;
    // One line (or a few) describing the message for lists, exports and printing; emoji kept.
    QString summaryRawEmoji() const;
    // summaryRawEmoji() with every emoji replaced by "[EMOJI]".
    QString summary() const;
    // The message as text files carry it: its own characters (emoji included), its marks and
    // reactions, and each attachment by its file name in brackets.
    QString exportText() const;
    // Who the other side is: the chat's name, plus the sender in a group chat.
    QString contactInfo() const;
    // Content fingerprint (32 lower-case hexadecimal digits) that recognises the same message
    // read from different sources: address text, date, direction, text and attachment names.
    QString logicalHash() const;
    // The same digits spelt into buffer, for writers that need no QString of them.
    using HashBuffer = std::array<char, 32>;
    QByteArrayView logicalHash(HashBuffer &buffer) const;

private:
    template <typename T> const T &extra(T _MsgMessageExtras::*field) const
    {
        static const T none;
        return m_extras ? (*m_extras).*field : none;
    }
    // An empty value allocates nothing: reading it back gives the same empty value.
    template <typename T> void setExtra(T _MsgMessageExtras::*field, const T &value)
    {
        if (!m_extras) {
            if (value.isEmpty())
                return;
            m_extras = new _MsgMessageExtras;
        }
        m_extras.data()->*field = value;
    }

    const QString &sent(QString _MsgMessageAccount::*field) const
    {
        return (m_account ? *m_account : MsgMessageAccount::none()).*field;
    }
    void setSent(QString _MsgMessageAccount::*field, const QString &value)
    {
        m_account = MsgMessageAccount::with(m_account, field, value);
    }

    MsgCompactText m_guid;
    MsgCompactText m_text;
    MsgMessageAccount::Pointer m_account;
    QSharedDataPointer<_MsgMessageExtras> m_extras;

    // The text with its edit mark and reactions (a reaction, unsent message or group item by its
    // sentence), each attachment written by attachmentText.
    QString textWithMarks(QString (*attachmentText)(const _MsgAttachment &)) const;
};
