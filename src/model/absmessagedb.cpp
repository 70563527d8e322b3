#include "model/absmessagedb.h"

AbsMessageDb::AbsMessageDb() = default;

AbsMessageDb::~AbsMessageDb() = default;
