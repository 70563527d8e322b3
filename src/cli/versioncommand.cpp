#include "cli/versioncommand.h"

#include "cli/clicontext.h"
#include "model/sqlite3db.h"

#include <QJsonObject>
#include <QtGlobal>

#include <sqlite3.h>

int VersionCommand::run(CliContext &context, const QStringList &args)
{
    expectArgCount(args, 0, 0);
    // Libraries without a run-time version call report the version they were built against.
    const QJsonObject versions{
        {QStringLiteral("program"), QStringLiteral("textlink-cli")},
        {QStringLiteral("version"), QStringLiteral(TEXTLINK_VERSION)},
        {QStringLiteral("qt"), QString::fromLatin1(qVersion())},
        {QStringLiteral("sqlite"), QString::fromLatin1(sqlite3_libversion())},
        {QStringLiteral("sqlite_wrapper"), sqlite_qt_version()},
        {QStringLiteral("libplist"), QStringLiteral(TEXTLINK_LIBPLIST_VERSION)},
        {QStringLiteral("libarchive"), QStringLiteral(TEXTLINK_LIBARCHIVE_VERSION)},
        {QStringLiteral("libimobiledevice"), QStringLiteral(TEXTLINK_LIBIMOBILEDEVICE_VERSION)},
        {QStringLiteral("mbedtls"), QStringLiteral(TEXTLINK_MBEDTLS_VERSION)},
    };
    if (context.isJson()) {
        context.output().record(versions);
    } else {
        context.output().text(
            QStringLiteral("textlink-cli %1").arg(QStringLiteral(TEXTLINK_VERSION)));
        for (auto it = versions.begin(); it != versions.end(); ++it) {
            if (it.key() != QLatin1String("program") && it.key() != QLatin1String("version"))
                context.output().text(
                    QStringLiteral("  %1 %2").arg(it.key(), it.value().toVariant().toString()));
        }
    }
    return 0;
}
