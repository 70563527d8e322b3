#pragma once

#include "ui/abstreeitemmodel.h"

#include <QSharedPointer>

#include <memory>
#include <vector>

class AbsMessageDb;
class MsgData;
class _AbsDBItemNode;
class _AndroidDeviceItemNode;
class _IOSDeviceItemNode;
class _LocalDBItemNode;
class _RootDeviceItemNode;
class _RootLocalDBItemNode;

// The source tree: the "Devices" and "Local Databases" roots, the sources under them and each
// source's conversations.
class ItemModelMain : public AbsTreeItemModel
{
    Q_OBJECT
public:
    // What a conversation's entry shows besides its name: the date of its newest message (local
    // time) and that message's text on one line.
    enum Role { LastDateRole = Qt::UserRole + 1, SnippetRole };

    explicit ItemModelMain(QObject *parent = nullptr);
    ~ItemModelMain() override;

    QVariant data(const QModelIndex &index, int role) const override;

    _RootDeviceItemNode *devicesRoot() const { return m_devicesRoot; }
    _RootLocalDBItemNode *localDbRoot() const { return m_localDbRoot; }

    _IOSDeviceItemNode *addIOSDevice(QSharedPointer<AbsMessageDb> db, const QString &name,
                                     const QString &deviceId);
    _AndroidDeviceItemNode *addAndroidDevice(QSharedPointer<AbsMessageDb> db, const QString &name,
                                             const QString &deviceId);
    _LocalDBItemNode *addLocalDb(QSharedPointer<AbsMessageDb> db, const QString &name);

    // Rebuilds the source's chat nodes from its MsgData, latest conversation first.
    void listChats(_AbsDBItemNode *source);
    using ChatNodes = std::vector<std::unique_ptr<_ItemNode>>;
    // The chat nodes of data, latest conversation first. Touches nothing but data, so it may
    // run in any thread; the nodes then go under the source whose data that becomes.
    static ChatNodes chatNodes(const MsgData &data);

    // The local database of that name, ignoring case; null when there is none.
    _LocalDBItemNode *findLocalDb(const QString &name) const;
    QStringList localDbNames() const;

    // The source a node stands for: itself for a device or local database, the parent for a
    // chat, null for anything else.
    static _AbsDBItemNode *sourceOf(AbsTreeItemModel::_ItemNode *node);
    // The source's conversation node whose first chat has the identifier; null when none has.
    static AbsTreeItemModel::_ItemNode *chatNodeOf(_AbsDBItemNode *source, const QString &chatId);

private:
    static QVariant chatEntryDetail(const _ItemNode &node, int role);

    _RootDeviceItemNode *m_devicesRoot = nullptr;
    _RootLocalDBItemNode *m_localDbRoot = nullptr;
};
