#include "scripteddevicelink.h"

#include "iosdb/ios6messagedb.h"
#include "ui/iosdevicehost.h"
#include "ui/iosdeviceitemnode.h"
#include "ui/itemmodelmain.h"
#include "ui/itemnodetype.h"
#include "ui/rootdeviceitemnode.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTemporaryDir>

// An unplugged iPhone leaves the source tree, and only that one; the window hears of it while
// the node is still there, so that it can let go of the phone's messages first.
TEST(IOSDeviceHost, UnpluggedPhoneLeavesTheTree)
{
    ItemModelMain model;
    auto link = std::make_unique<ScriptedDeviceLink>();
    ScriptedDeviceLink &phone = *link;
    IOSDeviceHost host(model, nullptr, std::move(link));
    QTemporaryDir dir;
    const auto db = QSharedPointer<IOS6MessageDb>::create(QDir(dir.path()), QString(), true);
    _IOSDeviceItemNode *gone = model.addIOSDevice(db, QStringLiteral("Ana"), QStringLiteral("A"));
    model.addIOSDevice(db, QStringLiteral("Ben"), QStringLiteral("B"));
    QList<AbsTreeItemModel::_ItemNode *> removing;
    bool wasInTree = false;
    QObject::connect(&host, &IOSDeviceHost::deviceRemoving, [&](_IOSDeviceItemNode *node) {
        removing << node;
        wasInTree = model.devicesRoot()->children().contains(node);
    });
    QSignalSpy removed(&host, &IOSDeviceHost::deviceRemoved);
    host.start();

    // Phones already in the tree are not read again when they are announced.
    phone.emitEvent(_DeviceEvent::Added, QStringLiteral("A"), false);
    phone.emitEvent(_DeviceEvent::Added, QStringLiteral("B"), false);
    QCoreApplication::processEvents();
    EXPECT_EQ(phone.trustedSessions, 0);

    phone.emitEvent(_DeviceEvent::Removed, QStringLiteral("A"), false);
    QCoreApplication::processEvents();
    ASSERT_EQ(removing.size(), 1);
    EXPECT_EQ(removing.first(), gone);
    EXPECT_TRUE(wasInTree);
    EXPECT_EQ(removed.size(), 1);
    const QList<AbsTreeItemModel::_ItemNode *> left = model.devicesRoot()->children();
    ASSERT_EQ(left.size(), 1);
    EXPECT_EQ(static_cast<_IOSDeviceItemNode *>(left.first())->deviceId, QStringLiteral("B"));
}
