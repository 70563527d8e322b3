#pragma once

#include <QUrl>
#include <QWebEnginePage>

// The page of the conversation pane. Every link the user clicks is handed to the program instead
// of being followed, so the page never leaves the conversation.
class BubblePage : public QWebEnginePage
{
    Q_OBJECT
public:
    explicit BubblePage(QObject *parent = nullptr);

Q_SIGNALS:
    void linkClicked(const QUrl &url);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
};
