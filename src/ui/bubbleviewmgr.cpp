#include "ui/bubbleviewmgr.h"

#include "export/bubblemessagemarkup.h"
#include "export/bubbleviewlinks.h"
#include "export/htmlmarkup.h"
#include "export/picturedirs.h"
#include "frame/desktop.h"
#include "frame/translation.h"
#include "model/msgmessage.h"
#include "ui/attachmentsave.h"
#include "ui/bubblepage.h"
#include "ui/tips.h"
#include "ui/uilogging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPalette>
#include <QWebEngineView>

namespace {

const QString kStartAnchor = QStringLiteral("start");
const QString kEndAnchor = QStringLiteral("end");
const QString kPreviousPagePath = QStringLiteral("/pre_page");
const QString kNextPagePath = QStringLiteral("/next_page");

// Files the desktop shows itself; anything else is offered for saving.
bool opensDirectly(const QString &suffix)
{
    // Whole suffixes only: a file without a suffix, or one whose suffix merely occurs inside
    // another ("pe", "mp"), is saved rather than handed to whatever the desktop runs for it.
    static const QStringList suffixes =
        QStringLiteral("jpg jpeg png bmp gif mp3 mp4 mov").split(QLatin1Char(' '));
    return suffixes.contains(suffix, Qt::CaseInsensitive);
}

QString anchorMark(const QString &name)
{
    return QStringLiteral("<a name=\"%1\"></a>").arg(name);
}

QString pageLink(const QString &path, const char *labelKey)
{
    return QStringLiteral("<p><a href=\"%1\">%2</a></p>").arg(path, g_htmlEncode(g_tr(labelKey)));
}

QString messageAnchor(const _MsgMessage &message)
{
    return QStringLiteral("sms_%1").arg(message.rowid);
}

// The page's style sheet, set into the page itself: a page whose sheet is a separate file drew
// text without bubbles when that file was not loaded (a load cut short by the next page). Its
// pictures are named relative to the sheet's folder, so they are rebased onto "bubble/".
QString inlineStyleSheet()
{
    static const QString sheet = [] {
        const QString dir = g_bubblePictureDir();
        QFile file(dir + QStringLiteral("/style.css"));
        if (dir.isEmpty() || !file.open(QIODevice::ReadOnly)) {
            qCWarning(lcUi) << "bubble style sheet missing in" << dir;
            return QString();
        }
        QString css = QString::fromUtf8(file.readAll());
        css.replace(QStringLiteral("url("), QStringLiteral("url(bubble/"));
        return css;
    }();
    return sheet;
}

// What only the conversation pane has: day separators, the selected message, and the colours of
// a dark palette around bubbles that stay light.
QString viewStyleSheet(bool dark)
{
    QString css = QStringLiteral(
        ".day{clear:both;margin:18px 0 4px 0;text-align:center;font-weight:bold;font-size:11px;}"
        ".msg{display:flow-root;border-radius:8px;padding:0 4px;}"
        ".msg.selected{background:rgba(61,124,201,0.16);}"
        ".bb1,.bb2{color:#1f2933;}"
        "mark.hit{background:#ffd966;color:inherit;border-radius:2px;}");
    if (dark)
        css += QStringLiteral("body{background:#1e2227;color:#e4e7eb;}a{color:#8fc1ff;}"
                              ".dt,.day,.sysif,.ct_left{color:#aab4bf;}");
    return css;
}

// Marks every occurrence of keyword (any letter case) in the bubbles' text, after clearing the
// marks of the last search. An empty keyword only clears.
QString highlightScript(const QString &keyword)
{
    // The keyword as a JavaScript string literal: JSON quotes and escapes it.
    const QByteArray array = QJsonDocument(QJsonArray{keyword}).toJson(QJsonDocument::Compact);
    const QString literal = QString::fromUtf8(array.mid(1, array.size() - 2));
    return QStringLiteral(
               "(function(k){"
               "document.querySelectorAll('mark.hit').forEach(function(m){var p=m.parentNode;"
               "p.replaceChild(document.createTextNode(m.textContent),m);p.normalize();});"
               "if(!k)return;var lk=k.toLowerCase(),nodes=[];"
               "var w=document.createTreeWalker(document.body,NodeFilter.SHOW_TEXT,null);"
               "while(w.nextNode()){var n=w.currentNode;if(n.parentNode.closest('.bb1,.bb2')&&"
               "n.nodeValue.toLowerCase().indexOf(lk)>=0)nodes.push(n);}"
               "nodes.forEach(function(n){var t=n.nodeValue,l=t.toLowerCase(),i=0,j,"
               "f=document.createDocumentFragment();while((j=l.indexOf(lk,i))>=0){"
               "f.appendChild(document.createTextNode(t.slice(i,j)));"
               "var m=document.createElement('mark');m.className='hit';"
               "m.textContent=t.slice(j,j+k.length);f.appendChild(m);i=j+k.length;}"
               "f.appendChild(document.createTextNode(t.slice(i)));"
               "n.parentNode.replaceChild(f,n);});})(%1);")
        .arg(literal);
}

bool paletteIsDark()
{
    const QPalette palette = QGuiApplication::palette();
    return palette.color(QPalette::Window).lightness() <
           palette.color(QPalette::WindowText).lightness();
}

} // namespace

BubbleViewMgr::BubbleViewMgr(QObject *parent) : QObject(parent) {}

void BubbleViewMgr::setWebview(QWebEngineView *view)
{
    m_view = view;
    if (!view)
        return;
    // The page belongs to the view so that it goes with it.
    auto *page = new BubblePage(view);
    view->setPage(page);
    connect(view, &QWebEngineView::loadFinished, this, &BubbleViewMgr::onLoadFinish);
    connect(page, &BubblePage::linkClicked, this, &BubbleViewMgr::onLinkClicked);
}

void BubbleViewMgr::setSavePathChooser(SavePathChooser chooser)
{
    m_chooseSavePath = std::move(chooser);
}

QUrl BubbleViewMgr::baseUrl()
{
    QString dir = g_pictureBaseDir();
    if (dir.isEmpty())
        dir = QCoreApplication::applicationDirPath();
    return QUrl::fromLocalFile(dir + QLatin1Char('/'));
}

int BubbleViewMgr::pageCountOf(int messageCount)
{
    return (messageCount + kPageSize - 1) / kPageSize;
}

QString BubbleViewMgr::pageHtml(const QList<_MsgMessage *> &messages, int page)
{
    const int pages = pageCountOf(messages.size());
    QString html = g_bubblePageHead(QStringLiteral("Bubble"), QStringLiteral("bubble/style.css"));
    html.replace(QStringLiteral("</head>"),
                 QStringLiteral("<style type=\"text/css\">%1%2</style></head>")
                     .arg(inlineStyleSheet(), viewStyleSheet(paletteIsDark())));
    html += anchorMark(kStartAnchor);
    if (page > 1)
        html += pageLink(kPreviousPagePath, "IDS_PREVIOUS_PAGE");

    BubbleViewLinks links;
    BubbleMessageMarkup markup(links);
    markup.setDaySeparators(true);
    const int first = (page - 1) * kPageSize;
    const int end = qMin(first + kPageSize, int(messages.size()));
    for (int row = qMax(first, 0); row < end; ++row) {
        const _MsgMessage &message = *messages.at(row);
        html += anchorMark(messageAnchor(message));
        // The wrapper lets the selected message be marked as a whole.
        html += QStringLiteral("<div class=\"msg\" id=\"msg_%1\">").arg(message.rowid);
        html += markup.message(message);
        html += QStringLiteral("</div>\n");
    }

    if (page < pages)
        html += pageLink(kNextPagePath, "IDS_NEXT_PAGE");
    html += anchorMark(kEndAnchor);
    html += g_bubblePageTail();
    return html;
}

void BubbleViewMgr::showBubble(const QList<_MsgMessage *> &messages)
{
    m_messages = messages;
    if (messages.isEmpty()) {
        m_page = 0;
        m_pageCount = 0;
        m_anchor = kStartAnchor;
        load(pageHtml({}, 0));
        return;
    }
    m_pageCount = pageCountOf(messages.size());
    m_anchor = kStartAnchor;
    gotoPage(1);
}

void BubbleViewMgr::gotoPage(int page)
{
    if (page < 1 || page > m_pageCount)
        return;
    draw(page);
}

void BubbleViewMgr::firstPage()
{
    m_anchor = kStartAnchor;
    gotoPage(1);
}

void BubbleViewMgr::lastPage()
{
    m_anchor = kEndAnchor;
    gotoPage(m_pageCount);
}

void BubbleViewMgr::nextPage()
{
    if (m_page >= m_pageCount)
        return;
    m_anchor = kStartAnchor;
    gotoPage(m_page + 1);
}

void BubbleViewMgr::previousPage()
{
    if (m_page < 2)
        return;
    m_anchor = kEndAnchor;
    gotoPage(m_page - 1);
}

void BubbleViewMgr::scrollToPos(int row)
{
    if (row < 0 || row >= m_messages.size())
        return;
    m_anchor = messageAnchor(*m_messages.at(row));
    const int page = pageCountOf(row + 1);
    if (page == m_page)
        scrollToAnchor();
    else
        gotoPage(page);
}

void BubbleViewMgr::onLoadFinish(bool ok)
{
    if (!ok)
        return;
    scrollToAnchor();
    if (!m_highlight.isEmpty())
        m_view->page()->runJavaScript(highlightScript(m_highlight));
}

void BubbleViewMgr::setHighlight(const QString &keyword)
{
    if (keyword == m_highlight)
        return;
    m_highlight = keyword;
    if (m_view)
        m_view->page()->runJavaScript(highlightScript(keyword));
}

void BubbleViewMgr::scrollToMessage(const _MsgMessage *message)
{
    scrollToPos(static_cast<int>(m_messages.indexOf(message)));
}

BubbleViewMgr::LinkAction BubbleViewMgr::linkAction(const QUrl &url)
{
    const QString path = url.path();
    if (path == kPreviousPagePath)
        return LinkAction::PreviousPage;
    if (path == kNextPagePath)
        return LinkAction::NextPage;
    // The page links nothing but its own files; anything else (a web address typed into a
    // message and turned into a link by the browser) is not followed.
    if (!url.isLocalFile())
        return LinkAction::Ignore;
    const QFileInfo file(url.toLocalFile());
    if (!file.isFile())
        return LinkAction::MissingFile;
    return opensDirectly(file.suffix()) ? LinkAction::OpenFile : LinkAction::SaveFile;
}

void BubbleViewMgr::onLinkClicked(const QUrl &url)
{
    switch (linkAction(url)) {
    case LinkAction::PreviousPage:
        previousPage();
        break;
    case LinkAction::NextPage:
        nextPage();
        break;
    case LinkAction::MissingFile:
        Tips::warning(g_tr("IDS_CAN_NOT_FIND_ATTACHMENT_%1")
                          .arg(g_htmlEncode(QDir::toNativeSeparators(url.toLocalFile()))));
        break;
    case LinkAction::OpenFile:
        if (!g_openFileOrFolder(url.toLocalFile())) {
            // Without a viewer the click would do nothing at all; a copy can still be kept.
            qCWarning(lcUi) << "the desktop did not open" << url.toLocalFile();
            const QString kind = QFileInfo(url.toLocalFile()).suffix().toUpper();
            if (Tips::question(g_tr("IDS_NO_APP_FOR_%1_FILES").arg(g_htmlEncode(kind))))
                saveAttachment(url.toLocalFile());
        }
        break;
    case LinkAction::SaveFile:
        saveAttachment(url.toLocalFile());
        break;
    case LinkAction::Ignore:
        qCDebug(lcUi) << "link not followed:" << url;
        break;
    }
}

void BubbleViewMgr::draw(int page)
{
    m_page = page;
    load(pageHtml(m_messages, page));
}

void BubbleViewMgr::load(const QString &html)
{
    m_html = html;
    if (!m_view || m_loadQueued)
        return;
    // Redraws in quick succession (the list refreshed twice after an import) become one load of
    // the last page, rather than loads that cut each other short.
    m_loadQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_loadQueued = false;
            if (m_view)
                m_view->setHtml(m_html, baseUrl());
        },
        Qt::QueuedConnection);
}

void BubbleViewMgr::scrollToAnchor()
{
    if (!m_view || m_anchor.isEmpty())
        return;
    // The anchor is one of the page's own names ("start", "end", "sms_<number>"); a message's
    // own anchor also marks it as the selected one.
    const QString script =
        QStringLiteral("(function(){var a=document.getElementsByName('%1')[0];"
                       "document.querySelectorAll('.msg.selected').forEach("
                       "function(e){e.classList.remove('selected');});"
                       "var m=document.getElementById('%1'.replace('sms_','msg_'));"
                       "if(m&&'%1'.indexOf('sms_')==0){m.classList.add('selected');"
                       "m.scrollIntoView({block:'center'});}else if(a)a.scrollIntoView();})();")
            .arg(m_anchor);
    m_view->page()->runJavaScript(script);
}

void BubbleViewMgr::saveAttachment(const QString &path)
{
    const QString proposed = QDir::home().filePath(QFileInfo(path).fileName());
    const QString target = chooseSavePath(proposed);
    if (target.isEmpty())
        return;
    if (g_saveAttachmentCopy(path, target))
        Tips::info(g_tr("IDS_SAVE_ATTACHMENT_SUC"));
    else
        Tips::error(g_tr("IDS_SAVE_ATTACHMENT_FILE_ERROR"));
}

QString BubbleViewMgr::chooseSavePath(const QString &proposedPath) const
{
    if (m_chooseSavePath)
        return m_chooseSavePath(proposedPath);
    return QFileDialog::getSaveFileName(m_view, g_tr("IDS_SAVE_ATTACHMENT"), proposedPath);
}
