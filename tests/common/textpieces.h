#pragma once

#include <QString>
#include <QStringList>

// Checks of many pieces of one text at once. Compared with an empty list, a failure names every
// piece that is wrong instead of stopping at a bare "false".

// The pieces that text lacks, in the order given.
QStringList missingFrom(const QString &text, const QStringList &pieces);
// The pieces that text holds though it should not, in the order given.
QStringList foundIn(const QString &text, const QStringList &pieces);
