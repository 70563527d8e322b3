#include "msgtexts.h"

#include "model/msgmessage.h"

QStringList textsOf(const QList<_MsgMessage *> &messages)
{
    QStringList texts;
    for (const _MsgMessage *message : messages)
        texts << message->text();
    return texts;
}

QStringList sortedTexts(const QList<_MsgMessage *> &messages)
{
    QStringList texts = textsOf(messages);
    texts.sort();
    return texts;
}
