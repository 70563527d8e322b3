#pragma once

#include "ui/absdbitemnode.h"
#include "ui/itemnodetype.h"

// A local database; its title is its folder's name.
class _LocalDBItemNode : public _AbsDBItemNode
{
public:
    _LocalDBItemNode(const QString &name, QSharedPointer<AbsMessageDb> db)
        : _AbsDBItemNode(ITEMNODE_LOCALDB, name, std::move(db))
    {}
};
