#include "model/msgchat.h"

#include "frame/translation.h"
#include "model/msghandle.h"

#include <QStringList>

#include <algorithm>

bool _MsgChat::isGroup() const
{
    return handleMap.size() > 1;
}

QString _MsgChat::displayName(bool withNumber) const
{
    if (!display_name.isEmpty())
        return display_name;
    if (handleMap.isEmpty())
        return g_tr("IDS_CHAT_UNKNOWN");
    // Neither hash order nor row ids are stable: the same backup saved twice numbers its
    // addresses differently. Names, then addresses, give one title for the same people.
    QList<const _MsgHandle *> handles(handleMap.cbegin(), handleMap.cend());
    std::sort(handles.begin(), handles.end(), [](const _MsgHandle *a, const _MsgHandle *b) {
        const int byName =
            QString::compare(a->displayName(false), b->displayName(false), Qt::CaseInsensitive);
        return byName != 0 ? byName < 0 : a->id < b->id;
    });
    QStringList names;
    names.reserve(handles.size());
    for (const _MsgHandle *handle : handles)
        names << handle->displayName(withNumber);
    return names.join(QStringLiteral(", "));
}
