#include "fuzzapp.h"

#include "frame/translation.h"

#include <QCoreApplication>

void g_fuzzQuietApp()
{
    static int argc = 1;
    static char name[] = "fuzzer";
    static char *argv[] = {name, nullptr};
    static const QCoreApplication app(argc, argv);
    static const bool once = [] {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
        return g_installTranslation();
    }();
    (void)once;
}
