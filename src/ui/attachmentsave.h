#pragma once

#include <QString>

// Copies an attachment to the place the user chose, replacing a file already there. The old
// file is replaced only once the copy is complete, so a failed copy leaves it untouched, and
// choosing the attachment itself as the target cannot destroy it. False when the copy failed.
bool g_saveAttachmentCopy(const QString &source, const QString &target);
