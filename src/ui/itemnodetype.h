#pragma once

// Kinds of node in the source tree; the values are stable because menus and enabling rules test
// them.
enum ITEMNODE_TYPE {
    ITEMNODE_ROOT_DEVICE = 1,
    ITEMNODE_ROOT_LOCALDB = 2,
    ITEMNODE_IOS_DEVICE = 3,
    ITEMNODE_ANDROID_DEVICE = 4,
    ITEMNODE_LOCALDB = 5,
    ITEMNODE_CHAT_SESSION = 6,
};
