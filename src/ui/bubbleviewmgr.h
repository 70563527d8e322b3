#pragma once

// Slots take message lists, and the meta-object system needs the complete record type.
#include "model/msgmessage.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>

class QWebEngineView;

// Draws the shown messages as speech bubbles into the conversation pane, one page of 50 messages
// at a time, and answers the links of those pages: paging, opening pictures and media, saving
// other attachments. Works without a view too (then only the markup is built), which is how the
// paging is tested.
class BubbleViewMgr : public QObject
{
    Q_OBJECT
public:
    static constexpr int kPageSize = 50;

    // What a click on a link of the page does.
    enum class LinkAction { Ignore, PreviousPage, NextPage, MissingFile, OpenFile, SaveFile };

    // Asks where to save an attachment, proposing a path; empty when the user cancelled.
    using SavePathChooser = std::function<QString(const QString &proposedPath)>;

    explicit BubbleViewMgr(QObject *parent = nullptr);

    // Draws into view from now on; its page hands every link click to onLinkClicked.
    void setWebview(QWebEngineView *view);
    // Replaces the save dialog (tests).
    void setSavePathChooser(SavePathChooser chooser);

    void gotoPage(int page);
    void firstPage();
    void lastPage();
    void nextPage();
    void previousPage();

    // 1-based; 0 when no message is shown.
    int page() const { return m_page; }
    int pageCount() const { return m_pageCount; }
    // Where the page scrolls once loaded: "start", "end" or "sms_<message id>".
    QString anchor() const { return m_anchor; }
    // The markup of the page drawn last.
    QString html() const { return m_html; }

    // The folder the page's relative links ("bubble/...", "emoji/...") resolve against.
    static QUrl baseUrl();
    static int pageCountOf(int messageCount);
    // The markup of page (1-based) of messages, with its anchors and paging links.
    static QString pageHtml(const QList<_MsgMessage *> &messages, int page);
    static LinkAction linkAction(const QUrl &url);

public Q_SLOTS:
    void showBubble(const QList<_MsgMessage *> &messages);
    // Shows the message at row of the list, drawing its page when another one is shown.
    void scrollToPos(int row);
    // The same for a shown message, wherever it is in the list.
    void scrollToMessage(const _MsgMessage *message);
    // Marks every occurrence of keyword in the page (none for an empty one).
    void setHighlight(const QString &keyword);
    void onLoadFinish(bool ok);
    void onLinkClicked(const QUrl &url);

private:
    void draw(int page);
    void load(const QString &html);
    void scrollToAnchor();
    void saveAttachment(const QString &path);
    QString chooseSavePath(const QString &proposedPath) const;

    QPointer<QWebEngineView> m_view;
    QList<_MsgMessage *> m_messages; // owned by the shown source's MsgData
    int m_page = 0;
    int m_pageCount = 0;
    QString m_anchor;
    QString m_html;
    QString m_highlight;
    bool m_loadQueued = false;
    SavePathChooser m_chooseSavePath;
};
