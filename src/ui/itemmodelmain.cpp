#include "ui/itemmodelmain.h"

#include "frame/translation.h"
#include "model/msgchat.h"
#include "model/msgfunctions.h"
#include "model/msghandle.h"
#include "model/msgmessage.h"
#include "ui/androiddeviceitemnode.h"
#include "ui/chatsessionitemnode.h"
#include "ui/iconpixmap.h"
#include "ui/iosdeviceitemnode.h"
#include "ui/itemnodetype.h"
#include "ui/localdbitemnode.h"
#include "ui/rootdeviceitemnode.h"
#include "ui/rootlocaldbitemnode.h"

#include <QDateTime>
#include <QImage>
#include <QPixmap>
#include <QSize>

#include <algorithm>

namespace {

constexpr int kIconSize = 18;
constexpr int kRowHeight = 25;
// Two lines: the name and date, then the newest message.
constexpr int kChatRowHeight = 42;

QVariant resourceIcon(const char *name)
{
    const QImage image(QStringLiteral(":/res/") + QLatin1String(name));
    if (image.isNull())
        return {};
    return g_iconPixmap(image, Qt::Horizontal, kIconSize);
}

QVariant contactPhoto(const QByteArray &bytes)
{
    QImage photo;
    if (bytes.isEmpty() ||
        (!photo.loadFromData(bytes, "JPEG") && !photo.loadFromData(bytes, "PNG")))
        return resourceIcon("contact.png");
    return g_iconPixmap(photo, Qt::Vertical, kIconSize);
}

QVariant chatDecoration(const _ChatSessionItemNode &node)
{
    const _MsgChat *chat = node.firstChat();
    if (!chat)
        return {};
    if (chat->handleMap.size() > 1)
        return resourceIcon("group.png");
    if (chat->handleMap.isEmpty())
        return resourceIcon("contact.png");
    return contactPhoto(chat->handleMap.begin().value()->_photo);
}

QVariant decoration(const AbsTreeItemModel::_ItemNode &node)
{
    switch (node.type) {
    case ITEMNODE_ROOT_DEVICE:
        return resourceIcon("devices.png");
    case ITEMNODE_ROOT_LOCALDB:
        return resourceIcon("databases.png");
    case ITEMNODE_IOS_DEVICE:
        return resourceIcon("iphone.png");
    case ITEMNODE_ANDROID_DEVICE:
        return resourceIcon("android.png");
    case ITEMNODE_LOCALDB:
        return resourceIcon("database.png");
    case ITEMNODE_CHAT_SESSION:
        return chatDecoration(static_cast<const _ChatSessionItemNode &>(node));
    default:
        return {};
    }
}

} // namespace

ItemModelMain::ItemModelMain(QObject *parent) : AbsTreeItemModel(parent)
{
    m_devicesRoot = static_cast<_RootDeviceItemNode *>(
        appendNode(nullptr, std::make_unique<_RootDeviceItemNode>(g_tr("IDS_ROOT_DEVICE"))));
    m_localDbRoot = static_cast<_RootLocalDBItemNode *>(
        appendNode(nullptr, std::make_unique<_RootLocalDBItemNode>(g_tr("IDS_ROOT_LOCALDB"))));
}

ItemModelMain::~ItemModelMain() = default;

QVariant ItemModelMain::chatEntryDetail(const _ItemNode &node, int role)
{
    if (node.type != ITEMNODE_CHAT_SESSION)
        return {};
    const _MsgMessage *last = static_cast<const _ChatSessionItemNode &>(node).lastMessage();
    if (!last)
        return {};
    if (role == LastDateRole)
        return dtFromDate21(last->date).toLocalTime();
    return last->summary().simplified();
}

QVariant ItemModelMain::data(const QModelIndex &index, int role) const
{
    const _ItemNode *node = nodeOf(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return node->title;
    case Qt::DecorationRole:
        return decoration(*node);
    case Qt::SizeHintRole:
        return QSize(0, node->type == ITEMNODE_CHAT_SESSION ? kChatRowHeight : kRowHeight);
    case LastDateRole:
    case SnippetRole:
        return chatEntryDetail(*node, role);
    default:
        return {};
    }
}

_IOSDeviceItemNode *ItemModelMain::addIOSDevice(QSharedPointer<AbsMessageDb> db,
                                                const QString &name, const QString &deviceId)
{
    return static_cast<_IOSDeviceItemNode *>(appendNode(
        m_devicesRoot, std::make_unique<_IOSDeviceItemNode>(name, deviceId, std::move(db))));
}

_AndroidDeviceItemNode *ItemModelMain::addAndroidDevice(QSharedPointer<AbsMessageDb> db,
                                                        const QString &name,
                                                        const QString &deviceId)
{
    return static_cast<_AndroidDeviceItemNode *>(appendNode(
        m_devicesRoot, std::make_unique<_AndroidDeviceItemNode>(name, deviceId, std::move(db))));
}

_LocalDBItemNode *ItemModelMain::addLocalDb(QSharedPointer<AbsMessageDb> db, const QString &name)
{
    return static_cast<_LocalDBItemNode *>(
        appendNode(m_localDbRoot, std::make_unique<_LocalDBItemNode>(name, std::move(db))));
}

void ItemModelMain::listChats(_AbsDBItemNode *source)
{
    clearChilds(source);
    appendNodes(source, chatNodes(source->data));
}

ItemModelMain::ChatNodes ItemModelMain::chatNodes(const MsgData &data)
{
    QList<_MsgChatMerge> merges = data.chatMergeList();
    // A strict order of plain values, so std::stable_sort is safe here (unlike the messages').
    std::stable_sort(merges.begin(), merges.end(), compareMsgChatMergeLastDesc);
    ChatNodes nodes;
    nodes.reserve(size_t(merges.size()));
    for (const _MsgChatMerge &merge : merges)
        nodes.push_back(std::make_unique<_ChatSessionItemNode>(merge));
    return nodes;
}

_LocalDBItemNode *ItemModelMain::findLocalDb(const QString &name) const
{
    for (_ItemNode *node : m_localDbRoot->children()) {
        if (node->title.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<_LocalDBItemNode *>(node);
    }
    return nullptr;
}

QStringList ItemModelMain::localDbNames() const
{
    QStringList names;
    for (const _ItemNode *node : m_localDbRoot->children())
        names.append(node->title);
    return names;
}

_AbsDBItemNode *ItemModelMain::sourceOf(AbsTreeItemModel::_ItemNode *node)
{
    if (node && node->type == ITEMNODE_CHAT_SESSION)
        node = node->parent;
    if (!node)
        return nullptr;
    switch (node->type) {
    case ITEMNODE_IOS_DEVICE:
    case ITEMNODE_ANDROID_DEVICE:
    case ITEMNODE_LOCALDB:
        return static_cast<_AbsDBItemNode *>(node);
    default:
        return nullptr;
    }
}

AbsTreeItemModel::_ItemNode *ItemModelMain::chatNodeOf(_AbsDBItemNode *source,
                                                       const QString &chatId)
{
    for (AbsTreeItemModel::_ItemNode *node : source->children()) {
        const _MsgChat *chat = static_cast<_ChatSessionItemNode *>(node)->firstChat();
        if (chat && chat->chat_identifier == chatId)
            return node;
    }
    return nullptr;
}
