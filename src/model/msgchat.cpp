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
    // Hash order changes from run to run; row order keeps the name stable in lists and exports.
    QList<const _MsgHandle *> handles(handleMap.cbegin(), handleMap.cend());
    std::sort(handles.begin(), handles.end(), [](const _MsgHandle *a, const _MsgHandle *b) {
        return a->rowid != b->rowid ? a->rowid < b->rowid : a->id < b->id;
    });
    QStringList names;
    names.reserve(handles.size());
    for (const _MsgHandle *handle : handles)
        names << handle->displayName(withNumber);
    return names.join(QStringLiteral(", "));
}
