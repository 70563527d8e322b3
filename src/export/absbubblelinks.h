#pragma once

#include <QString>

// How a bubble page refers to attachment files: the bubble view links the files where they lie,
// the HTML export links copies kept beside its pages. Both answer attribute values ready to be
// written between double quotes.
class AbsBubbleLinks
{
public:
    virtual ~AbsBubbleLinks() = default;

    // The link target of an attachment file; "#" when the file is not available.
    virtual QString fileLink(const QString &localPath) = 0;
    // The picture source of a preview (a thumbnail, a drawn contact card); a placeholder picture
    // when the preview is missing, empty when not even that can be shown.
    virtual QString pictureLink(const QString &picturePath) = 0;

protected:
    AbsBubbleLinks() = default;
    AbsBubbleLinks(const AbsBubbleLinks &) = delete;
    AbsBubbleLinks &operator=(const AbsBubbleLinks &) = delete;
};
