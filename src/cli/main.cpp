#include "cli/cliapp.h"
#include "frame/translation.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <unistd.h>

namespace {

// Without a session runtime folder (root in a container, a cron job) Qt warns on every start and
// then uses a private folder of its own; name that folder beforehand so scripts see no noise.
void provideRuntimeDir()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    const QString dir = QDir::tempPath() + QStringLiteral("/runtime-%1").arg(::getuid());
    if (!QDir().mkpath(dir))
        return;
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir));
}

} // namespace

int main(int argc, char **argv)
{
    // Headless unless a display is there: exports draw pictures and PDF pages without one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    provideRuntimeDir();
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("textlink-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TEXTLINK_VERSION));
    g_installTranslation();

    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    return CliApp().run(args);
}
