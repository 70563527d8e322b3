#include "ui/tips.h"

#include "frame/abstips.h"
#include "frame/translation.h"
#include "ui/stylesheet.h"
#include "ui/uilogging.h"
#include "ui/winmovable.h"

#include <QApplication>
#include <QThread>

#include <functional>

namespace {

// Error texts are kept for the error reporter; it sends nothing yet, so the log holds them.
void reportError(const QString &text)
{
    qCWarning(lcUi).noquote() << "error shown:" << text;
}

// Core code may ask from a worker thread; widgets exist only on the user-interface thread, so
// such requests wait there for the user's answer.
void runOnUiThread(const std::function<void()> &function)
{
    QCoreApplication *const app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        function();
    else
        QMetaObject::invokeMethod(app, function, Qt::BlockingQueuedConnection);
}

class UiTips : public AbsTips
{
public:
    void error(const QString &text) override
    {
        runOnUiThread([&text] { Tips::error(text); });
    }
    void errorWithoutPrefix(const QString &text) override
    {
        runOnUiThread([&text] { Tips::errorWithoutPrefix(text); });
    }
    void warning(const QString &text) override
    {
        runOnUiThread([&text] { Tips::warning(text); });
    }
    void info(const QString &text) override
    {
        runOnUiThread([&text] { Tips::info(text); });
    }
    bool question(const QString &text) override
    {
        bool yes = false;
        runOnUiThread([&text, &yes] { yes = Tips::question(text); });
        return yes;
    }
};

} // namespace

QMessageBox::StandardButton g_showMessageBox(QMessageBox::Icon icon, const QString &text,
                                             QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, g_tr("IDS_APP_TITLE"), text, QMessageBox::NoButton, nullptr,
                    Qt::Dialog | Qt::FramelessWindowHint);
    box.setTextFormat(Qt::RichText);
    box.setTextInteractionFlags(Qt::TextBrowserInteraction);
    box.setStyleSheet(getStyleSheet());
    new WinMovable(&box); // owned by the box
    for (const auto button :
         {QMessageBox::Yes, QMessageBox::No, QMessageBox::Ok, QMessageBox::Cancel}) {
        if (buttons.testFlag(button))
            box.addButton(button);
    }
    const int pressed = box.exec();
    return static_cast<QMessageBox::StandardButton>(pressed);
}

void Tips::error(const QString &text)
{
    reportError(text);
    g_showMessageBox(QMessageBox::Critical, AbsTips::errorFrame(text), QMessageBox::Ok);
}

void Tips::errorWithoutPrefix(const QString &text)
{
    reportError(text);
    g_showMessageBox(QMessageBox::Critical, text, QMessageBox::Ok);
}

void Tips::warning(const QString &text)
{
    g_showMessageBox(QMessageBox::Warning, text, QMessageBox::Ok);
}

void Tips::info(const QString &text)
{
    g_showMessageBox(QMessageBox::Information, text, QMessageBox::Ok);
}

bool Tips::question(const QString &text)
{
    return g_showMessageBox(QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

void Tips::installAsAbsTips()
{
    static UiTips tips;
    AbsTips::install(&tips);
}
