#pragma once

#include "ui/absdbitemnode.h"
#include "ui/itemnodetype.h"

// An iPhone whose messages have been brought onto this computer. The device is known by its
// unique identifier (for a virtual device, its folder).
class _IOSDeviceItemNode : public _AbsDBItemNode
{
public:
    _IOSDeviceItemNode(const QString &name, const QString &deviceId,
                       QSharedPointer<AbsMessageDb> db)
        : _AbsDBItemNode(ITEMNODE_IOS_DEVICE, name, std::move(db)), deviceId(deviceId)
    {}

    const QString deviceId;
};
