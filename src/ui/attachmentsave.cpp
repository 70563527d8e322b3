#include "ui/attachmentsave.h"

#include "ui/uilogging.h"

#include <QFile>
#include <QSaveFile>

namespace {

constexpr qint64 kCopyChunk = 1 << 20;

} // namespace

bool g_saveAttachmentCopy(const QString &source, const QString &target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        qCWarning(lcUi) << "cannot read attachment" << source << in.errorString();
        return false;
    }
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) {
        qCWarning(lcUi) << "cannot write" << target << out.errorString();
        return false;
    }
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(kCopyChunk);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError)
            break;
        if (out.write(chunk) != chunk.size())
            break;
    }
    if (in.error() != QFileDevice::NoError || !in.atEnd()) {
        qCWarning(lcUi) << "copy of" << source << "failed:" << in.errorString()
                        << out.errorString();
        out.cancelWriting();
        return false;
    }
    return out.commit();
}
