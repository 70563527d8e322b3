#pragma once

#include "mobiledevice/iosdeviceimport.h"

// Runs each step of a device import with a recording progress of its own, as the desktop runs
// each with a progress dialog.
IOSDeviceImport::StepRunner g_recordingSteps();
