#include "mobiledevice/absserviceconnection.h"

AbsServiceConnection::~AbsServiceConnection() = default;
