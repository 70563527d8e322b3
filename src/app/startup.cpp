#include "app/startup.h"

#include "frame/abstips.h"
#include "frame/appdirs.h"
#include "frame/logsaver.h"
#include "frame/translation.h"
#include "localdb/updatelocaldbthread.h"
#include "model/sqlite3db.h"
#include "ui/itemmodelmain.h"
#include "ui/itemmodelsms.h"
#include "ui/mainwindow.h"
#include "ui/mylistview.h"
#include "ui/mytreeview.h"
#include "ui/progressform.h"
#include "ui/rootlocaldbitemnode.h"
#include "ui/tips.h"

#include <QApplication>
#include <QLoggingCategory>

#include <cstdio>

namespace {

Q_LOGGING_CATEGORY(lcApp, "textlink.app")

constexpr int kKeptLogFiles = 10;
constexpr int kRequiredSqliteWrapperVersion = 5;

// Without a display Qt would abort with a terse message about platform plugins; tell the user
// what to do instead.
int reportNoDisplay(int argc, char **argv)
{
    const QCoreApplication app(argc, argv);
    g_installTranslation();
    const QString program = argc > 0 ? QString::fromLocal8Bit(argv[0]) : QStringLiteral("textlink");
    std::fprintf(stderr, "%s\n", qPrintable(g_tr("IDS_NO_DISPLAY").arg(program)));
    return 1;
}

// Converts the local databases of the old single-file layout; true when that succeeded and the
// program has to be restarted, as the success message tells the user.
bool convertOldLocalDbs(QWidget *window)
{
    if (UpdateLocalDbThread::oldDatabaseFolders().isEmpty())
        return false;
    ProgressForm progress(QString(), window);
    progress.setCancelable(false);
    UpdateLocalDbThread worker(progress.progress());
    return progress.runWorker(worker);
}

// Opens the window on a local database or one of its conversations, named by titles as
// "database/conversation" or "database/conversation#row" in TEXTLINK_SELECT: demonstrations and
// screenshots start where they are meant to without anyone clicking.
void preselect(MainWindow &window, const QString &selection)
{
    const QString path = selection.section(QLatin1Char('#'), 0, 0);
    AbsTreeItemModel::_ItemNode *parent = window.treeModel()->localDbRoot();
    for (const QString &title : path.split(QLatin1Char('/'))) {
        AbsTreeItemModel::_ItemNode *found = nullptr;
        for (AbsTreeItemModel::_ItemNode *child : parent->children()) {
            if (child->title == title)
                found = child;
        }
        if (!found) {
            qCWarning(lcApp) << "nothing named" << title << "to select";
            return;
        }
        // Selecting a database lists its conversations, so the next title can be found.
        window.treeView()->selectionModel()->setCurrentIndex(
            window.treeModel()->indexOfItemNode(found), QItemSelectionModel::ClearAndSelect);
        parent = found;
    }
    bool isRow = false;
    const int row = selection.section(QLatin1Char('#'), 1).toInt(&isRow);
    if (isRow) {
        window.listView()->selectionModel()->setCurrentIndex(window.smsModel()->index(row, 0),
                                                             QItemSelectionModel::ClearAndSelect |
                                                                 QItemSelectionModel::Rows);
    }
}

} // namespace

bool g_displayAvailable(const QProcessEnvironment &env)
{
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (!env.value(QLatin1String(name)).isEmpty())
            return true;
    }
    return false;
}

int g_runDesktop(int argc, char **argv)
{
    if (!g_displayAvailable())
        return reportNoDisplay(argc, argv);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TextLink"));
    QApplication::setApplicationVersion(QStringLiteral(TEXTLINK_VERSION));
    if (!g_installTranslation())
        qCWarning(lcApp) << "embedded translation missing; texts show their keys";
    // The database layer must be the one this program was written against.
    if (sqlite_qt_version() != kRequiredSqliteWrapperVersion) {
        Tips::error(g_tr("invalid libsqlite_qt."));
        return 1;
    }
    logsaver_install_msghandler(g_logDir().path(), kKeptLogFiles);
    Tips::installAsAbsTips();

    int status = 0;
    {
        MainWindow window;
        window.show();
        window.startAndroidMonitor();
        const QString selection = qEnvironmentVariable("TEXTLINK_SELECT");
        if (!selection.isEmpty())
            preselect(window, selection);
        if (convertOldLocalDbs(&window)) {
            qCInfo(lcApp) << "old local databases converted; closing for the restart";
            QMetaObject::invokeMethod(&window, "close", Qt::QueuedConnection);
        }
        status = QApplication::exec();
    }
    AbsTips::install(nullptr);
    qCInfo(lcApp) << "event loop left with status" << status;
    logsaver_uninstall_msghandler();
    return status;
}
