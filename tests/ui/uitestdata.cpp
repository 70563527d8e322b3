#include "uitestdata.h"

#include "frame/appdirs.h"
#include "localdb/backupsmsthread.h"
#include "model/msgdata.h"
#include "msgbuilder.h"
#include "recordingprogress.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <stdexcept>

ScopedDataFolder::ScopedDataFolder()
{
    if (!m_dir.isValid())
        throw std::runtime_error("no temporary folder");
    g_setDataSaveDirOverride(m_dir.path());
}

ScopedDataFolder::~ScopedDataFolder()
{
    g_setDataSaveDirOverride(QString());
}

namespace {

// Far enough apart that the message order is the date order.
constexpr int kDay = 86400;

} // namespace

void g_writeSampleLocalDb(const QString &name)
{
    MsgBuilder builder;
    _MsgHandle *alice = builder.handle(QStringLiteral("+15550001111"));
    _MsgHandle *bob = builder.handle(QStringLiteral("+15550002222"));
    _MsgChat *aliceChat = builder.chat(alice);
    _MsgChat *bobChat = builder.chat(bob);
    builder.message(aliceChat, alice, 1 * kDay, QStringLiteral("hello alice"));
    builder.message(bobChat, bob, 2 * kDay, QStringLiteral("bob says hi"));
    builder.message(aliceChat, nullptr, 3 * kDay, QStringLiteral("alice again"));
    builder.message(bobChat, nullptr, 4 * kDay, QStringLiteral("bye bob"));
    RecordingProgress progress;
    BackupSMSThread worker(builder.data().messages(), QDir(g_localDbDir().filePath(name)),
                           QString(), progress);
    if (!progress.run(worker))
        throw std::runtime_error("sample local database not written");
}

void g_whenModal(const std::function<bool(QWidget *)> &action)
{
    auto *timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && action(modal))
            timer->deleteLater();
    });
    timer->start();
}
