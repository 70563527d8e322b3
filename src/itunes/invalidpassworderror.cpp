#include "itunes/invalidpassworderror.h"

#include "frame/translation.h"

InvalidPasswordError::InvalidPasswordError()
    : std::runtime_error(g_tr("IDS_INVALID_PASSWORD").toStdString())
{}
