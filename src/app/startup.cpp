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
#include <QIcon>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPalette>
#include <QPixmap>
#include <QScreen>
#include <QStyle>
#include <QTimer>

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
        window.display().loader().finish();
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

// For pictures of the program: TEXTLINK_SEARCH searches the shown messages for a keyword, and
// TEXTLINK_SCREENSHOT names a PNG file the window is photographed into once its pages have had
// time to draw (TEXTLINK_SCREENSHOT_DELAY milliseconds, 6000 by default); the program then ends.
void demonstrate(MainWindow &window)
{
    const QString keyword = qEnvironmentVariable("TEXTLINK_SEARCH");
    if (!keyword.isEmpty()) {
        if (auto *box = window.findChild<QLineEdit *>(QStringLiteral("txtSMSKeyword"))) {
            box->setText(keyword);
            window.searchMessages();
        }
    }
    const QString shot = qEnvironmentVariable("TEXTLINK_SCREENSHOT");
    if (shot.isEmpty())
        return;
    bool given = false;
    const int delay = qEnvironmentVariableIntValue("TEXTLINK_SCREENSHOT_DELAY", &given);
    QTimer::singleShot(given ? delay : 6000, &window, [&window, shot] {
        const QPixmap picture = window.screen()->grabWindow(window.winId());
        if (!picture.save(shot, "PNG"))
            qCWarning(lcApp) << "screenshot not saved to" << shot;
        window.close();
    });
}

// The desktop's palette is used as it comes; TEXTLINK_THEME=dark or light chooses one where the
// desktop does not pass its choice on to Qt programs.
void applyThemeChoice(QApplication &app)
{
    const QString theme = qEnvironmentVariable("TEXTLINK_THEME");
    if (theme.isEmpty())
        return;
    QApplication::setStyle(QStringLiteral("Fusion"));
    if (theme != QLatin1String("dark")) {
        app.setPalette(QApplication::style()->standardPalette());
        return;
    }
    QPalette dark;
    const QColor window(37, 41, 46);
    const QColor base(27, 30, 34);
    const QColor text(228, 231, 235);
    dark.setColor(QPalette::Window, window);
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, window);
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, QColor(48, 53, 60));
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::Highlight, QColor(61, 124, 201));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::ToolTipBase, window);
    dark.setColor(QPalette::ToolTipText, text);
    dark.setColor(QPalette::PlaceholderText, QColor(140, 150, 160));
    dark.setColor(QPalette::Link, QColor(143, 193, 255));
    dark.setColor(QPalette::Light, QColor(70, 76, 84));
    dark.setColor(QPalette::Midlight, QColor(56, 61, 68));
    dark.setColor(QPalette::Mid, QColor(80, 87, 96));
    dark.setColor(QPalette::Dark, QColor(20, 22, 25));
    dark.setColor(QPalette::Shadow, Qt::black);
    dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 126, 134));
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 126, 134));
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 126, 134));
    app.setPalette(dark);
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
    // The desktop entry names the program to the desktop, which then shows its icon.
    QApplication::setDesktopFileName(QStringLiteral("com.quorvandale.TextLink"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/res/textlink.svg")));
    applyThemeChoice(app);
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
        demonstrate(window);
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
