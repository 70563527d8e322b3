#include "cli/cliapp.h"
#include "frame/translation.h"

#include <QGuiApplication>

int main(int argc, char **argv)
{
    // Headless unless a display is there: exports draw pictures and PDF pages without one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("textlink-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TEXTLINK_VERSION));
    g_installTranslation();

    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    return CliApp().run(args);
}
