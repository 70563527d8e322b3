#include "ui/mainwindow.h"

#include "frame/translation.h"
#include "ui/stylesheet.h"
#include "ui/tips.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QSplitter>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTreeView>

namespace {

constexpr int kSourcePaneWidth = 350;
constexpr int kListPaneWidth = 450;
constexpr int kBubblePaneWidth = 200;

QStandardItem *makeRoot(const char *key)
{
    auto *root = new QStandardItem(g_tr(key));
    root->setEditable(false);
    return root;
}

} // namespace

MainWindow::MainWindow(const QString &localDbDir, QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(g_tr("IDS_APP_TITLE"));
    setStyleSheet(getStyleSheet());
    buildPanes();
    buildMenus();
    listLocalDbs(localDbDir);
    m_sourceTree->expandAll();
    resize(kSourcePaneWidth + kListPaneWidth + kBubblePaneWidth + 200, 640);
}

MainWindow::~MainWindow() = default;

QStandardItem *MainWindow::devicesRoot() const
{
    return m_devicesRoot;
}

QStandardItem *MainWindow::localDbRoot() const
{
    return m_localDbRoot;
}

void MainWindow::buildPanes()
{
    auto *splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("splitterMain"));
    splitter->setChildrenCollapsible(false);

    m_sourceModel = new QStandardItemModel(this);
    m_devicesRoot = makeRoot("IDS_ROOT_DEVICE");
    m_localDbRoot = makeRoot("IDS_ROOT_LOCALDB");
    m_sourceModel->appendRow(m_devicesRoot);
    m_sourceModel->appendRow(m_localDbRoot);

    m_sourceTree = new QTreeView(splitter);
    m_sourceTree->setObjectName(QStringLiteral("treeViewDS"));
    m_sourceTree->setHeaderHidden(true);
    m_sourceTree->setModel(m_sourceModel);

    auto *messageModel = new QStandardItemModel(0, 3, this);
    messageModel->setHorizontalHeaderLabels(
        {g_tr("IDS_COL_CONTACT"), g_tr("IDS_COL_TYPE"), g_tr("IDS_COL_DATE")});
    auto *messageList = new QTreeView(splitter);
    messageList->setObjectName(QStringLiteral("treeViewSMS"));
    messageList->setRootIsDecorated(false);
    messageList->setModel(messageModel);
    messageList->header()->setSectionsMovable(false);

    auto *bubblePane = new QLabel(splitter);
    bubblePane->setObjectName(QStringLiteral("lbConversation"));
    bubblePane->setAlignment(Qt::AlignCenter);

    splitter->setSizes({kSourcePaneWidth, kListPaneWidth, kBubblePaneWidth});
    setCentralWidget(splitter);
    statusBar();
}

void MainWindow::buildMenus()
{
    QMenu *help = menuBar()->addMenu(g_tr("IDS_MENU_HELP"));
    QAction *about = help->addAction(g_tr("IDS_MENU_ABOUT"));
    about->setObjectName(QStringLiteral("actionAbout"));
    about->setMenuRole(QAction::AboutRole);
    connect(about, &QAction::triggered, this, &MainWindow::showAbout);
}

void MainWindow::listLocalDbs(const QString &localDbDir)
{
    if (localDbDir.isEmpty())
        return;
    const QStringList names =
        QDir(localDbDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : names) {
        auto *item = new QStandardItem(name);
        item->setEditable(false);
        item->setData(QDir(localDbDir).filePath(name), Qt::UserRole);
        m_localDbRoot->appendRow(item);
    }
}

void MainWindow::showAbout()
{
    Tips::info(g_tr("IDS_ABOUT_TEXT").arg(QStringLiteral(TEXTLINK_VERSION)));
}
