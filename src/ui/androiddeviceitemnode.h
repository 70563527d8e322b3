#pragma once

#include "ui/absdbitemnode.h"
#include "ui/itemnodetype.h"

// An Android phone mirrored into its cache database, known by its adb serial.
class _AndroidDeviceItemNode : public _AbsDBItemNode
{
public:
    _AndroidDeviceItemNode(const QString &name, const QString &deviceId,
                           QSharedPointer<AbsMessageDb> db)
        : _AbsDBItemNode(ITEMNODE_ANDROID_DEVICE, name, std::move(db)), deviceId(deviceId)
    {}

    const QString deviceId;
};
