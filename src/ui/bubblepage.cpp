#include "ui/bubblepage.h"

BubblePage::BubblePage(QObject *parent) : QWebEnginePage(parent) {}

bool BubblePage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (type == NavigationTypeLinkClicked) {
        Q_EMIT linkClicked(url);
        return false;
    }
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}
