#include "export/exportmessagestxt.h"

#include "export/localclock.h"
#include "frame/translation.h"
#include "model/msgchat.h"
#include "model/msgfunctions.h"
#include "model/msgmessage.h"

#include <QLocale>

namespace {

constexpr int kDateWidth = 30;
constexpr int kFlagWidth = 6;
constexpr int kNameWidth = 40;

QString flagOf(const _MsgMessage &message)
{
    // Group events (someone joined, left, renamed the chat) have no direction.
    if (message.item_type != 0)
        return QString();
    return g_tr(message.is_from_me ? "IDS_TXT_FLAG_TO" : "IDS_TXT_FLAG_FROM");
}

} // namespace

ExportMessagesTxt::ExportMessagesTxt(const QString &path) : TextFileExport(path) {}

void ExportMessagesTxt::writeHeader(QTextStream &)
{
    writeLine(g_tr("IDS_TXT_COL_DATE"), g_tr("IDS_TXT_COL_FLAG"), g_tr("IDS_TXT_COL_NAME"),
              g_tr("IDS_TXT_COL_MESSAGE"));
}

void ExportMessagesTxt::write(_MsgMessage &message)
{
    // A format naming the zone needs the system's own conversion; the others get the cached one.
    static const bool namesZone =
        QLocale::system().dateTimeFormat(QLocale::ShortFormat).contains(QLatin1Char('t'));
    const QDateTime utc = dtFromDate21(message.date);
    const QString date = QLocale::system().toString(
        namesZone ? utc.toLocalTime() : LocalClock::toLocal(utc), QLocale::ShortFormat);
    const QString name = message.chat ? message.chat->displayName(false) : g_tr("IDS_CHAT_UNKNOWN");
    QString text = message.exportText();
    text.remove(QLatin1Char('\r'));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    writeLine(date, flagOf(message), name, text);
}

void ExportMessagesTxt::writeLine(const QString &date, const QString &flag, const QString &name,
                                  const QString &text)
{
    stream() << date.leftJustified(kDateWidth) << flag.leftJustified(kFlagWidth)
             << name.leftJustified(kNameWidth) << text << '\n';
}
