#pragma once

#include <QWidget>

// A thin busy bar with a Cancel button, shown above the message list while a source loads.
class LoadingBar : public QWidget
{
    Q_OBJECT
public:
    explicit LoadingBar(QWidget *parent = nullptr);

Q_SIGNALS:
    void cancelRequested();
};
