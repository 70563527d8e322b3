#pragma once

#include <QWidget>

class QProgressBar;

// A thin progress bar with a Cancel button, shown above the message list while a source loads.
class LoadingBar : public QWidget
{
    Q_OBJECT
public:
    // Reading the chats, then the messages.
    static constexpr int kSteps = 2;

    explicit LoadingBar(QWidget *parent = nullptr);

    // Shows the bar with done of kSteps steps done.
    void showStep(int done);

Q_SIGNALS:
    void cancelRequested();

private:
    QProgressBar *m_bar = nullptr;
};
