#pragma once

#include "export/absbubblelinks.h"

// Links of the bubble view's pages: attachment files where they lie, as local-file URLs; a
// missing preview shows "bubble/empty_photo.jpg" relative to the page's base address
// (g_pictureBaseDir()).
class BubbleViewLinks : public AbsBubbleLinks
{
public:
    BubbleViewLinks() = default;

    QString fileLink(const QString &localPath) override;
    QString pictureLink(const QString &picturePath) override;
};
