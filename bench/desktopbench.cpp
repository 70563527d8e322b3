// Drives the desktop window over the data folder named by TEXTLINK_DATA_DIR, the way a user
// would: opens it, chooses the first local database, searches all its messages, then chooses its
// largest conversation and searches that. Prints each step's time and the longest the window went
// without handling events.
#include "frame/translation.h"
#include "model/absmessagedb.h"
#include "model/msgchatmerge.h"
#include "model/msgdata.h"
#include "model/msgfunctions.h"
#include "ui/absdbitemnode.h"
#include "ui/bubbleviewmgr.h"
#include "ui/chatsessionitemnode.h"
#include "ui/itemmodelmain.h"
#include "ui/itemmodelsms.h"
#include "ui/mainwindow.h"
#include "ui/mytreeview.h"
#include "ui/rootlocaldbitemnode.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

// Notes the longest gap between two turns of the event loop since the last reset.
class FreezeMeter
{
public:
    FreezeMeter()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
        m_sinceTick.start();
        m_sinceReset.start();
        m_timer.start();
    }
    void reset()
    {
        m_longest = 0;
        m_endedAt = 0;
        m_sinceTick.restart();
        m_sinceReset.restart();
    }
    qint64 longest() const { return m_longest; }
    // When the longest gap ended, counted from the reset.
    qint64 endedAt() const { return m_endedAt; }

private:
    void tick()
    {
        const qint64 gap = m_sinceTick.restart();
        if (gap > m_longest) {
            m_longest = gap;
            m_endedAt = m_sinceReset.elapsed();
        }
    }

    QTimer m_timer;
    QElapsedTimer m_sinceTick;
    QElapsedTimer m_sinceReset;
    qint64 m_longest = 0;
    qint64 m_endedAt = 0;
};

void report(const char *name, qint64 ms, const char *target)
{
    std::printf("%-40s %7lld ms   target %s\n", name, static_cast<long long>(ms), target);
    std::fflush(stdout);
}

// Lets the window draw what the step changed, then reports the step's longest freeze.
void reportFreeze(const char *name, FreezeMeter &freeze, const char *target)
{
    QTest::qWait(300);
    report(name, freeze.longest(), target);
    std::printf("  (ended %lld ms into the step)\n", static_cast<long long>(freeze.endedAt()));
}

// The process's peak resident memory, from the kernel's own count; -1 where it has none.
long long peakMemoryMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() / 1024;
    }
    return -1;
}

bool waitFor(const std::function<bool()> &done)
{
    return QTest::qWaitFor(done, 600000);
}

void choose(MainWindow &window, AbsTreeItemModel::_ItemNode *node)
{
    window.treeView()->selectionModel()->setCurrentIndex(window.treeModel()->indexOfItemNode(node),
                                                         QItemSelectionModel::ClearAndSelect);
}

AbsTreeItemModel::_ItemNode *largestChat(const _AbsDBItemNode &db)
{
    AbsTreeItemModel::_ItemNode *largest = nullptr;
    qsizetype most = -1;
    for (AbsTreeItemModel::_ItemNode *node : db.children()) {
        const qsizetype count = static_cast<_ChatSessionItemNode *>(node)->merge.messages().size();
        if (count > most) {
            most = count;
            largest = node;
        }
    }
    return largest;
}

// What choosing the database cost before it was read in the background: the same read and the
// two sorts of the whole list, all in the GUI thread.
void readInGuiThread(_AbsDBItemNode &db)
{
    QElapsedTimer step;
    step.start();
    MsgData data;
    db.db->chats(data);
    report("  of which the chats", step.elapsed(), "");
    db.db->messages(data, 0);
    QList<_MsgMessage *> all = data.messages();
    g_sortMessages(all, Qt::AscendingOrder);
    g_sortMessages(all, Qt::AscendingOrder);
    report("the same read in the GUI thread (before)", step.elapsed(), "(window frozen)");
}

} // namespace

int main(int argc, char **argv)
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    g_installTranslation();
    const QString keyword = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("99 with");
    FreezeMeter freeze;

    MainWindow window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    report("window up, sources listed", sinceStart.elapsed(), "<= 1000");
    auto *db = static_cast<_AbsDBItemNode *>(window.treeModel()->localDbRoot()->child(0));
    if (!db) {
        std::fprintf(stderr, "no local database in the data folder\n");
        return 1;
    }

    // READ_FIRST=1: the old read first, to see what the order of the two reads changes.
    if (qEnvironmentVariableIntValue("READ_FIRST"))
        readInGuiThread(*db);
    freeze.reset();
    QTest::qWait(5000);
    report("longest freeze of the idle window, 5 s", freeze.longest(), "(machine's baseline)");

    freeze.reset();
    QElapsedTimer step;
    step.start();
    choose(window, db);
    if (!waitFor([db] { return db->childCount() > 0; }))
        return 1;
    report("database chosen: chat list", step.elapsed(), "<= 1000");
    // Usable once its first rows show: a database read in list order fills the list as it reads.
    if (!waitFor([&window] { return window.smsModel()->rowCount() > 0; }))
        return 1;
    report("database chosen: message list of all", step.elapsed(), "<= 3000");
    std::printf("  (%d rows listed then)\n", window.smsModel()->rowCount());
    if (!waitFor([db, &window] { return db->messagesLoaded && window.smsModel()->rowCount(); }))
        return 1;
    report("  every message of all listed", step.elapsed(), "(for reference)");
    reportFreeze("  longest freeze meanwhile", freeze, "<= 100");
    std::printf("  (%d chats, %d messages listed; peak memory so far %lld MB)\n", db->childCount(),
                window.smsModel()->rowCount(), peakMemoryMb());

    // Marking the matches of the whole list repaints it; nothing may be laid out again.
    auto *box = window.findChild<QLineEdit *>(QStringLiteral("txtSMSKeyword"));
    freeze.reset();
    step.start();
    box->setText(keyword);
    window.searchMessages();
    report("search through all", step.elapsed(), "(for reference)");
    reportFreeze("  longest freeze meanwhile", freeze, "(for reference)");
    box->clear();
    window.searchMessages();

    AbsTreeItemModel::_ItemNode *chat = largestChat(*db);
    freeze.reset();
    step.start();
    choose(window, chat);
    report("largest conversation: list, first page", step.elapsed(), "<= 500");
    std::printf("  (%d messages, page 1 of %d)\n", window.smsModel()->rowCount(),
                window.bubbleView()->pageCount());
    reportFreeze("  longest freeze meanwhile", freeze, "<= 100");

    freeze.reset();
    step.start();
    box->setText(keyword);
    window.searchMessages();
    report("search through it", step.elapsed(), "<= 300");
    reportFreeze("  longest freeze meanwhile", freeze, "(for reference)");

    if (!qEnvironmentVariableIntValue("READ_FIRST"))
        readInGuiThread(*db);
    return 0;
}
