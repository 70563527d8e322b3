#include "messageboxcloser.h"

#include <QAbstractButton>
#include <QApplication>

MessageBoxCloser::MessageBoxCloser(QMessageBox::StandardButton answer) : m_answer(answer)
{
    m_timer.setInterval(10);
    connect(&m_timer, &QTimer::timeout, this, &MessageBoxCloser::poll);
    m_timer.start();
}

void MessageBoxCloser::setOnShown(std::function<void(QMessageBox &)> onShown)
{
    m_onShown = std::move(onShown);
}

QStringList MessageBoxCloser::texts() const
{
    QStringList texts;
    for (const Seen &seen : m_seen)
        texts << seen.text;
    return texts;
}

void MessageBoxCloser::poll()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    m_seen.append({box->icon(), box->windowTitle(), box->text(), box->standardButtons()});
    if (m_onShown)
        m_onShown(*box);
    if (QAbstractButton *button = box->button(m_answer))
        button->click();
    else
        box->done(QMessageBox::NoButton); // the wanted answer was not offered; still never hang
}
