#pragma once

#include <QList>
#include <QStringList>

struct _MsgMessage;

// The texts of messages, to compare what was read with what was written in one assertion.

// In the order given.
QStringList textsOf(const QList<_MsgMessage *> &messages);
// Sorted, for readers whose order is not part of what is tested.
QStringList sortedTexts(const QList<_MsgMessage *> &messages);
