#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

// Answers every message box the code under test opens while this object lives: it records what
// the box showed and presses the chosen button, so that no test waits for a user.
class MessageBoxCloser : public QObject
{
    Q_OBJECT
public:
    struct Seen
    {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString title;
        QString text;
        QMessageBox::StandardButtons buttons;
    };

    explicit MessageBoxCloser(QMessageBox::StandardButton answer = QMessageBox::Ok);

    // Runs while the box is open, before it is answered.
    void setOnShown(std::function<void(QMessageBox &)> onShown);

    int count() const { return m_seen.size(); }
    // The texts of every box seen, in order.
    QStringList texts() const;
    const Seen &last() const { return m_seen.last(); }

private:
    void poll();

    QMessageBox::StandardButton m_answer;
    std::function<void(QMessageBox &)> m_onShown;
    QList<Seen> m_seen;
    QTimer m_timer;
};
