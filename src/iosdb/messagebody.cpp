#include "iosdb/messagebody.h"

#include "iosdb/iosdblog.h"
#include "iosdb/typedstreamreader.h"
#include "model/msgmessage.h"
#include "model/qplist.h"

#include <QSet>

namespace {

// The newest text of the edit history ("ec": part number to its versions, oldest first), the
// parts in order; empty when there is none.
QString latestEditedText(const QPlist &history)
{
    QString text;
    const QMap<QString, QPlist> parts = history.toMap();
    QMap<int, QPlist> ordered;
    for (auto it = parts.cbegin(); it != parts.cend(); ++it)
        ordered.insert(it.key().toInt(), it.value());
    for (const QPlist &versions : std::as_const(ordered)) {
        if (versions.array_size() == 0)
            continue;
        const QPlist newest = versions.at(versions.array_size() - 1);
        if (const auto part =
                TypedStreamReader::attributedText(newest.get(QStringLiteral("t")).toData()))
            text += *part;
    }
    return text;
}

void applySummary(_MsgMessage &msg)
{
    const QPlist summary = QPlist::fromFileBin(msg.message_summary_info());
    if (!summary.isDict())
        return;
    const QPlist history = summary.get(QStringLiteral("ec"));
    msg.edited = history.isDict() && history.dict_size() > 0;
    if (msg.edited && msg.text().isEmpty())
        msg.setText(latestEditedText(history));

    // Unsent only when every part is taken back; a message without a part list has one part.
    const QPlist unsent = summary.get(QStringLiteral("rp"));
    QSet<quint64> unsentParts;
    for (quint32 i = 0; i < unsent.array_size(); ++i)
        unsentParts.insert(unsent.at(i).toUint());
    const QPlist parts = summary.get(QStringLiteral("otr"));
    const quint32 partCount = parts.isDict() ? qMax<quint32>(1, parts.dict_size()) : 1;
    msg.unsent = !unsentParts.isEmpty() && quint32(unsentParts.size()) >= partCount;
    if (msg.unsent) {
        msg.setText(QString());
        msg.edited = false;
    }
}

} // namespace

void MessageBody::complete(_MsgMessage &msg)
{
    // The text column wins where both are filled: the archive can hold an older text.
    if (msg.compactText().isEmpty() && !msg.attributedBody.isEmpty()) {
        if (const auto text = TypedStreamReader::attributedText(msg.attributedBody))
            msg.setText(*text);
        else
            qCDebug(lcIosdb) << "unreadable attributedBody of message" << msg.guid();
    }
    if (msg.date_edited != 0 && !msg.message_summary_info().isEmpty())
        applySummary(msg);
}
