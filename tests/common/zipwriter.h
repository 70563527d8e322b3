#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// Writes a .zip archive of the given entries (name, bytes) with libarchive; false on failure.
bool g_writeZip(const QString &path, const QList<QPair<QString, QByteArray>> &entries);
