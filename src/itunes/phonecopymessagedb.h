#pragma once

#include "iosdb/ios6messagedb.h"

#include <memory>

class PhoneDbCopy;

// A phone folder's messages read from a private copy that lives as long as this object, so that
// a window can keep a phone open without ever writing into its folder. Attachments are pointed
// back to the phone folder's own files after every load.
class PhoneCopyMessageDb : public IOS6MessageDb
{
public:
    explicit PhoneCopyMessageDb(std::unique_ptr<PhoneDbCopy> copy);
    ~PhoneCopyMessageDb() override;

    void messages(MsgData &data, qint64 chatId) override;
    // Points the attachments of data, read from the copy, back to the phone folder's own files.
    void restoreAttachmentPaths(MsgData &data) const;

private:
    const std::unique_ptr<PhoneDbCopy> m_copy;
};
