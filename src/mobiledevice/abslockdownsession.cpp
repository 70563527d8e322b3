#include "mobiledevice/abslockdownsession.h"

#include "mobiledevice/absserviceconnection.h"

AbsLockdownSession::~AbsLockdownSession() = default;
