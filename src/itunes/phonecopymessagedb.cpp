#include "itunes/phonecopymessagedb.h"

#include "itunes/phonedbcopy.h"

PhoneCopyMessageDb::PhoneCopyMessageDb(std::unique_ptr<PhoneDbCopy> copy)
    : IOS6MessageDb(copy->folder(), QString(), false), m_copy(std::move(copy))
{}

PhoneCopyMessageDb::~PhoneCopyMessageDb()
{
    // Closed before the copy's folder goes with m_copy.
    close();
}

void PhoneCopyMessageDb::messages(MsgData &data, qint64 chatId)
{
    IOS6MessageDb::messages(data, chatId);
    restoreAttachmentPaths(data);
}

void PhoneCopyMessageDb::restoreAttachmentPaths(MsgData &data) const
{
    m_copy->restoreAttachmentPaths(data);
}
