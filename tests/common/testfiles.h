#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// File helpers shared by the tests. Kept free of the names and the namespace of the code under
// test, so that a test reads back what was written through Qt alone.

// The whole file; empty when it cannot be read (a test compares it with what it expects).
QByteArray readAll(const QString &path);
// Writes bytes, making the parent folders; fails the calling test when it cannot.
void writeFile(const QString &path, const QByteArray &bytes);
// Every regular file below folder (hidden ones too), relative to it, sorted.
QStringList filesBelow(const QString &folder);
