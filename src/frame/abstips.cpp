#include "frame/abstips.h"

#include "frame/translation.h"

#include <QDebug>

namespace {

// Used until a front end installs its own: nobody can answer, so texts go to the log.
class LogTips : public AbsTips
{
public:
    void error(const QString &text) override { qCritical().noquote() << text; }
    void errorWithoutPrefix(const QString &text) override { qCritical().noquote() << text; }
    void warning(const QString &text) override { qWarning().noquote() << text; }
    void info(const QString &text) override { qInfo().noquote() << text; }
    bool question(const QString &text) override
    {
        qWarning().noquote() << "unanswered question:" << text;
        return false;
    }
};

LogTips g_logTips;
AbsTips *g_installedTips = &g_logTips;

} // namespace

AbsTips::~AbsTips() = default;

QString AbsTips::errorFrame(const QString &text)
{
    return g_tr("IDS_ERROR_OCCURRED") + QStringLiteral("<br/><br/>") + text +
           QStringLiteral("<br/><br/>") + g_tr("IDS_ERROR_SUPPORT");
}

AbsTips &AbsTips::instance()
{
    return *g_installedTips;
}

void AbsTips::install(AbsTips *tips)
{
    g_installedTips = tips ? tips : &g_logTips;
}
