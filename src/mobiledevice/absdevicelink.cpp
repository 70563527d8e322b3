#include "mobiledevice/absdevicelink.h"

#include "mobiledevice/abslockdownsession.h"

AbsDeviceLink::~AbsDeviceLink() = default;
