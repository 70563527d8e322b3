#include "textpieces.h"

QStringList missingFrom(const QString &text, const QStringList &pieces)
{
    QStringList missing;
    for (const QString &piece : pieces) {
        if (!text.contains(piece))
            missing << piece;
    }
    return missing;
}

QStringList foundIn(const QString &text, const QStringList &pieces)
{
    QStringList found;
    for (const QString &piece : pieces) {
        if (text.contains(piece))
            found << piece;
    }
    return found;
}
