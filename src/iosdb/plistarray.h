#pragma once

#include <QByteArray>
#include <QStringList>

// The string items of a property list (binary or XML) whose root is an array, in order; items of
// other types are left out. Empty for data that is no such property list: the callers read
// optional, phone-written blobs and carry on without them.
QStringList g_plistStringArray(const QByteArray &data);
