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
#include <QFileDialog>
#include <QFileInfo>
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
    html += anchorMark(kStartAnchor);
    if (page > 1)
        html += pageLink(kPreviousPagePath, "IDS_PREVIOUS_PAGE");

    BubbleViewLinks links;
    BubbleMessageMarkup markup(links);
    const int first = (page - 1) * kPageSize;
    const int end = qMin(first + kPageSize, int(messages.size()));
    for (int row = qMax(first, 0); row < end; ++row) {
        const _MsgMessage &message = *messages.at(row);
        html += anchorMark(messageAnchor(message));
        html += markup.message(message);
        html += QLatin1Char('\n');
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
    if (ok)
        scrollToAnchor();
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
        if (!g_openFileOrFolder(url.toLocalFile()))
            qCWarning(lcUi) << "the desktop did not open" << url.toLocalFile();
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
    if (m_view)
        m_view->setHtml(html, baseUrl());
}

void BubbleViewMgr::scrollToAnchor()
{
    if (!m_view || m_anchor.isEmpty())
        return;
    // The anchor is one of the page's own names ("start", "end", "sms_<number>").
    const QString script = QStringLiteral("(function(){var a=document.getElementsByName('%1')[0];"
                                          "if(a)a.scrollIntoView();})();")
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
