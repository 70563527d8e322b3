// The conversation pane: page markup and paging as text, link handling without a browser, one
// page loaded into a real web view, and the icons of the tree and the message list.
#include "messageboxcloser.h"
#include "msgbuilder.h"
#include "testfiles.h"
#include "textpieces.h"
#include "uitestdata.h"
#include "windowprobe.h"

#include "model/msgattachment.h"
#include "model/msgchat.h"
#include "model/msgmessage.h"
#include "ui/attachmentsave.h"
#include "ui/bubbleviewmgr.h"
#include "ui/itemmodelmain.h"
#include "ui/itemmodelsms.h"
#include "ui/localdbitemnode.h"
#include "ui/mainwindow.h"
#include "ui/mylistview.h"
#include "ui/mytreeview.h"
#include "ui/rootlocaldbitemnode.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>

namespace {

using LinkAction = BubbleViewMgr::LinkAction;

// Seconds from 2001 to a day of 2020, so that date lines have a real date.
constexpr int kBaseDate = 600000000;

int countOf(const QString &html, const QString &piece)
{
    return html.count(piece);
}

int messageAnchors(const QString &html)
{
    return countOf(html, QStringLiteral("<a name=\"sms_"));
}

int bubbles(const QString &html)
{
    return countOf(html, QStringLiteral("<div class=\"bb1\">")) +
           countOf(html, QStringLiteral("<div class=\"bb2\">"));
}

// A one-to-one conversation of count messages a given number of seconds apart.
class Conversation
{
public:
    explicit Conversation(int count, int gapSeconds = 3600)
    {
        m_alice = m_builder.handle(QStringLiteral("+15550001111"));
        m_chat = m_builder.chat(m_alice);
        for (int i = 0; i < count; ++i)
            add(kBaseDate + i * gapSeconds, QStringLiteral("message %1").arg(i), i % 2 == 0);
    }

    _MsgMessage *add(int date, const QString &text, bool received = true)
    {
        _MsgMessage *message = m_builder.message(m_chat, received ? m_alice : nullptr, date, text);
        m_messages << message;
        return message;
    }

    _MsgAttachment *attach(_MsgMessage *message, const QString &mime, const QString &path)
    {
        _MsgAttachment *attachment =
            m_builder.attachment(message, QFileInfo(path).fileName(), path);
        attachment->mime_type = mime;
        return attachment;
    }

    const QList<_MsgMessage *> &messages() const { return m_messages; }

private:
    MsgBuilder m_builder;
    _MsgHandle *m_alice = nullptr;
    _MsgChat *m_chat = nullptr;
    QList<_MsgMessage *> m_messages;
};

// The page shown and the anchor it scrolls to, as "page anchor".
QString place(const BubbleViewMgr &view)
{
    return QString::number(view.page()) + QLatin1Char(' ') + view.anchor();
}

// What script gives in the view's page, once it has run.
QVariant evaluate(QWebEngineView &webView, const QString &script)
{
    QVariant result;
    bool done = false;
    webView.page()->runJavaScript(script, [&](const QVariant &value) {
        result = value;
        done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&done] { return done; }, 30000)) << script.toStdString();
    return result;
}

QString onePage(const QList<_MsgMessage *> &messages)
{
    return BubbleViewMgr::pageHtml(messages, 1);
}

} // namespace

TEST(BubblePaging, FiftyMessagesMakeOnePageWithoutPagingLinks)
{
    const Conversation chat(50);
    BubbleViewMgr view;
    view.showBubble(chat.messages());
    EXPECT_EQ(place(view), "1 start");
    EXPECT_EQ(view.pageCount(), 1);
    EXPECT_EQ(messageAnchors(view.html()), 50);
    EXPECT_EQ(foundIn(view.html(), {"/pre_page", "/next_page"}), QStringList());
    EXPECT_EQ(
        missingFrom(view.html(), {"<a name=\"start\"></a>", "<a name=\"end\"></a></body></html>"}),
        QStringList());
}

TEST(BubblePaging, FiftyOneMessagesMakeTwoPagesLinkedBothWays)
{
    const Conversation chat(51);
    BubbleViewMgr view;
    view.showBubble(chat.messages());
    ASSERT_EQ(view.pageCount(), 2);
    EXPECT_EQ(messageAnchors(view.html()), 50);
    EXPECT_TRUE(view.html().contains("<p><a href=\"/next_page\">&gt;&gt;Next Page</a></p>"));
    EXPECT_FALSE(view.html().contains("/pre_page"));

    view.nextPage();
    EXPECT_EQ(place(view), "2 start");
    EXPECT_EQ(messageAnchors(view.html()), 1);
    EXPECT_EQ(
        missingFrom(view.html(),
                    {QStringLiteral("<a name=\"sms_%1\"></a>").arg(chat.messages().last()->rowid),
                     "<p><a href=\"/pre_page\">&lt;&lt;Previous Page</a></p>"}),
        QStringList());
    EXPECT_FALSE(view.html().contains(QStringLiteral("/next_page")));

    // Past the ends nothing changes.
    view.nextPage();
    EXPECT_EQ(view.page(), 2);
    view.previousPage();
    EXPECT_EQ(place(view), "1 end");
    view.previousPage();
    EXPECT_EQ(view.page(), 1);
    view.lastPage();
    EXPECT_EQ(place(view), "2 end");
    view.firstPage();
    EXPECT_EQ(place(view), "1 start");
    view.gotoPage(3);
    view.gotoPage(0);
    EXPECT_EQ(view.page(), 1);
}

TEST(BubblePaging, AnEmptyListShowsAnEmptyPage)
{
    const Conversation chat(3);
    BubbleViewMgr view;
    view.showBubble(chat.messages());
    view.showBubble({});
    EXPECT_EQ(QList<int>({view.page(), view.pageCount(), messageAnchors(view.html()),
                          bubbles(view.html())}),
              QList<int>({0, 0, 0, 0}));
    view.nextPage();
    view.scrollToPos(0);
    EXPECT_EQ(view.page(), 0);
}

TEST(BubblePaging, ScrollingToARowDrawsItsPage)
{
    const Conversation chat(200);
    BubbleViewMgr view;
    view.showBubble(chat.messages());
    const QString row120 = QStringLiteral("sms_%1").arg(chat.messages().at(120)->rowid);

    view.scrollToPos(120);
    EXPECT_EQ(place(view), "3 " + row120);
    EXPECT_TRUE(view.html().contains(QStringLiteral("<a name=\"%1\"></a>").arg(row120)));

    // Rows 100 and 149 are on the same page, 150 starts the next.
    const QString html = view.html();
    view.scrollToPos(149);
    EXPECT_EQ(view.page(), 3);
    EXPECT_EQ(view.html(), html);
    view.scrollToPos(150);
    EXPECT_EQ(view.page(), 4);
    view.scrollToPos(49);
    EXPECT_EQ(view.page(), 1);

    view.scrollToPos(200);
    view.scrollToPos(-1);
    EXPECT_EQ(place(view), QStringLiteral("1 sms_%1").arg(chat.messages().at(49)->rowid));
}

TEST(BubbleMarkup, DateLinesFollowGapsOfMoreThanAMinute)
{
    for (const int gap : {60, 61}) {
        Conversation two(0);
        two.add(kBaseDate, QStringLiteral("a"));
        two.add(kBaseDate + gap, QStringLiteral("b"));
        EXPECT_EQ(countOf(onePage(two.messages()), QStringLiteral("<div class=\"dt\">")),
                  gap > 60 ? 2 : 1);
    }

    // Every page starts with a date line, however close its first message is to the last one
    // of the page before.
    const Conversation close(51, 1);
    BubbleViewMgr view;
    view.showBubble(close.messages());
    EXPECT_EQ(countOf(view.html(), QStringLiteral("<div class=\"dt\">")), 1);
    view.nextPage();
    EXPECT_EQ(countOf(view.html(), QStringLiteral("<div class=\"dt\">")), 1);
}

TEST(BubbleMarkup, DaysAreSeparatedAndTimesHaveTwoDigitMinutes)
{
    // Local times: 9:05 AM and 11:09 PM on one day, 7:04 AM on the next.
    const auto at = [](int day, int hour, int minute) {
        const QDateTime local(QDate(2022, 8, 27).addDays(day), QTime(hour, minute));
        return int(local.toSecsSinceEpoch() -
                   QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC).toSecsSinceEpoch());
    };
    Conversation chat(0);
    chat.add(at(0, 9, 5), QStringLiteral("a"));
    chat.add(at(0, 23, 9), QStringLiteral("b"));
    chat.add(at(1, 7, 4), QStringLiteral("c"));
    const QString html = onePage(chat.messages());
    EXPECT_EQ(countOf(html, QStringLiteral("<div class=\"day\">")), 2);
    for (const char *time : {"9:05 AM", "11:09 PM", "7:04 AM"})
        EXPECT_TRUE(html.contains(QStringLiteral("<div class=\"dt\">%1</div>").arg(time))) << time;
    // Each message sits in a block of its own, so that the selected one can be marked.
    EXPECT_EQ(countOf(html, QStringLiteral("<div class=\"msg\" id=\"msg_")), 3);
}

TEST(BubbleMarkup, TextIsEscapedAndEmojiBecomePictures)
{
    Conversation chat(0);
    const char32_t grin = 0x1F600;
    chat.add(kBaseDate,
             QStringLiteral("<b>bold</b> & \"quoted\"\nnext line ") + QString::fromUcs4(&grin, 1));
    const QString html = onePage(chat.messages());
    EXPECT_EQ(missingFrom(html, {"&lt;b&gt;bold&lt;/b&gt; &amp; ", "<br/>next line",
                                 "<img src=\"emoji/1F600.png\" />"}),
              QStringList());
    EXPECT_FALSE(html.contains(QStringLiteral("<b>")));
    EXPECT_EQ(bubbles(html), 1);
}

TEST(BubbleMarkup, AttachmentsGetBubblesByTheirType)
{
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("IMG_0001.JPG"));
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(picture, "JPEG"));
    const QString note = dir.filePath(QStringLiteral("note.txt"));
    writeFile(note, QByteArray("line <1>\nline 2"));

    Conversation chat(0);
    _MsgMessage *onlyPicture = chat.add(kBaseDate, QString());
    chat.attach(onlyPicture, QStringLiteral("IMAGE/jpeg"), picture);
    EXPECT_EQ(bubbles(onePage(chat.messages())), 1);
    EXPECT_TRUE(onePage(chat.messages()).contains(QStringLiteral("max-width:120px")));

    Conversation empty(0);
    empty.add(kBaseDate, QString());
    EXPECT_EQ(bubbles(onePage(empty.messages())), 1);

    Conversation media(0);
    _MsgMessage *message = media.add(kBaseDate, QStringLiteral("look"), false);
    media.attach(message, QStringLiteral("video/quicktime"), dir.filePath(QStringLiteral("a.mov")));
    media.attach(message, QStringLiteral("Audio/amr"), dir.filePath(QStringLiteral("a.amr")));
    media.attach(message, QStringLiteral("application/pdf"), dir.filePath(QStringLiteral("a.pdf")));
    media.attach(message, QStringLiteral("text/plain"), note);
    const QString html = onePage(media.messages());
    EXPECT_EQ(bubbles(html), 5);
    EXPECT_EQ(countOf(html, QStringLiteral("<div class=\"bb2\">")), 5);
    for (const char *link : {">[VIDEO]</a>", ">[AUDIO]</a>", ">[ATTACHMENT]</a>"})
        EXPECT_EQ(countOf(html, QLatin1String(link)), 1) << link;
    EXPECT_EQ(missingFrom(html, {"line &lt;1&gt;<br/>line 2",
                                 QUrl::fromLocalFile(dir.filePath(QStringLiteral("a.pdf")))
                                     .toString(QUrl::FullyEncoded)}),
              QStringList());
}

TEST(BubbleLinks, ClicksAreSortedByWhatTheyPointAt)
{
    QTemporaryDir dir;
    const auto file = [&dir](const char *name) {
        const QString path = dir.filePath(QLatin1String(name));
        writeFile(path, QByteArray("x"));
        return QUrl::fromLocalFile(path);
    };
    const std::pair<QUrl, LinkAction> cases[] = {
        {QUrl(QStringLiteral("file:///pre_page")), LinkAction::PreviousPage},
        {QUrl(QStringLiteral("file:///next_page")), LinkAction::NextPage},
        {file("photo.JPG"), LinkAction::OpenFile},
        {file("clip.mov"), LinkAction::OpenFile},
        {file("paper.pdf"), LinkAction::SaveFile},
        // Only whole suffixes of the list open directly.
        {file("noSuffix"), LinkAction::SaveFile},
        {file("tool.pe"), LinkAction::SaveFile},
        {QUrl::fromLocalFile(dir.filePath(QStringLiteral("gone.jpg"))), LinkAction::MissingFile},
        {QUrl(QStringLiteral("https://example.com/a.pdf")), LinkAction::Ignore},
    };
    for (const auto &[url, expected] : cases)
        EXPECT_EQ(BubbleViewMgr::linkAction(url), expected) << url.toString().toStdString();
}

TEST(BubbleLinks, PageLinksTurnThePage)
{
    const Conversation chat(120);
    BubbleViewMgr view;
    view.showBubble(chat.messages());
    view.onLinkClicked(QUrl(QStringLiteral("file:///next_page")));
    view.onLinkClicked(QUrl(QStringLiteral("file:///next_page")));
    EXPECT_EQ(view.page(), 3);
    view.onLinkClicked(QUrl(QStringLiteral("file:///next_page")));
    EXPECT_EQ(view.page(), 3);
    view.onLinkClicked(QUrl(QStringLiteral("file:///pre_page")));
    EXPECT_EQ(place(view), "2 end");
}

TEST(BubbleLinks, AnAttachmentIsSavedWhereTheUserChooses)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("contract.pdf"));
    writeFile(source, QByteArray("%PDF attachment"));
    const QString target = dir.filePath(QStringLiteral("saved.pdf"));
    writeFile(target, QByteArray("an older file that is replaced"));

    // The dialog's answer and the box that follows: a cancelled dialog saves and says nothing, a
    // folder that does not exist cannot take the file.
    const struct
    {
        QString answer;
        QString box;
        QMessageBox::Icon icon;
    } answers[] = {
        {target, "Attachment saved successfully.", QMessageBox::Information},
        {QString(), QString(), QMessageBox::NoIcon},
        {dir.filePath("no/such/folder.pdf"), "Failed to save attachment.", QMessageBox::Critical},
    };
    BubbleViewMgr view;
    for (const auto &[answer, box, icon] : answers) {
        QString proposed;
        view.setSavePathChooser([&proposed, answer = answer](const QString &path) {
            proposed = path;
            return answer;
        });
        MessageBoxCloser closer;
        view.onLinkClicked(QUrl::fromLocalFile(source));
        QTest::qWait(box.isEmpty() ? 50 : 0);
        ASSERT_EQ(closer.count(), box.isEmpty() ? 0 : 1);
        EXPECT_TRUE(box.isEmpty() || closer.last().text.contains(box)) << box.toStdString();
        EXPECT_TRUE(box.isEmpty() || closer.last().icon == icon) << box.toStdString();
        EXPECT_EQ(proposed, QDir::home().filePath(QStringLiteral("contract.pdf")));
        EXPECT_EQ(readAll(target), QByteArray("%PDF attachment")); // replaced by the first save
    }
}

TEST(BubbleLinks, AMissingFileIsNamedInAWarning)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("lost & found.pdf"));
    BubbleViewMgr view;
    view.setSavePathChooser([](const QString &) -> QString {
        ADD_FAILURE() << "no save dialog for a missing file";
        return QString();
    });
    MessageBoxCloser closer;
    view.onLinkClicked(QUrl::fromLocalFile(missing));
    ASSERT_EQ(closer.count(), 1);
    EXPECT_EQ(closer.last().icon, QMessageBox::Warning);
    EXPECT_TRUE(closer.last().text.contains(QStringLiteral("Cannot find ")));
    EXPECT_TRUE(closer.last().text.contains(QStringLiteral("lost &amp; found.pdf")));
}

TEST(AttachmentSave, ReplacesOnlyAfterACompleteCopy)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("a.bin"));
    const QByteArray content(3 * 1024 * 1024 + 17, 'q');
    writeFile(source, content);

    // Saving the attachment onto itself keeps it whole.
    EXPECT_TRUE(g_saveAttachmentCopy(source, source));
    EXPECT_EQ(readAll(source), content);

    const QString target = dir.filePath(QStringLiteral("b.bin"));
    writeFile(target, QByteArray("keep me"));
    EXPECT_FALSE(g_saveAttachmentCopy(dir.filePath(QStringLiteral("missing.bin")), target));
    EXPECT_EQ(readAll(target), QByteArray("keep me"));

    EXPECT_TRUE(g_saveAttachmentCopy(source, target));
    EXPECT_EQ(readAll(target), content);
}

TEST(BubbleWebView, APageLoadsAndItsNextPageLinkTurnsThePage)
{
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("p.png"));
    QImage image(20, 20, QImage::Format_RGB32);
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(picture, "PNG"));
    Conversation chat(60);
    chat.attach(chat.messages().at(1), QStringLiteral("image/png"), picture);

    QWebEngineView webView;
    webView.resize(400, 600);
    BubbleViewMgr view;
    view.setWebview(&webView);
    QSignalSpy loaded(&webView, &QWebEngineView::loadFinished);
    view.showBubble(chat.messages());
    if (!loaded.wait(60000))
        GTEST_SKIP() << "the web engine did not start in this environment";
    EXPECT_TRUE(loaded.last().at(0).toBool());

    EXPECT_EQ(evaluate(webView, "document.querySelectorAll('div.bb1, div.bb2').length").toInt(),
              bubbles(view.html()));
    // The bubbles have their pictures: the page's style reached it (a page whose style sheet was
    // not loaded showed bare text).
    const QString background =
        evaluate(webView,
                 "getComputedStyle(document.querySelector('.bb_bg.top_left')).backgroundImage")
            .toString();
    EXPECT_TRUE(background.contains("top_left.png")) << background.toStdString();

    // A search marks every occurrence in the bubbles: "message 1" and "message 10" to "19".
    view.setHighlight(QStringLiteral("MESSAGE 1"));
    QTRY_COMPARE_WITH_TIMEOUT(
        evaluate(webView, "document.querySelectorAll('mark.hit').length").toInt(), 11, 30000);

    // A click on the page's link reaches the manager instead of navigating the page away.
    const int loads = loaded.count();
    webView.page()->runJavaScript(
        QStringLiteral("document.querySelector('a[href=\"/next_page\"]').click()"));
    QTRY_COMPARE_WITH_TIMEOUT(view.page(), 2, 30000);
    QTRY_VERIFY_WITH_TIMEOUT(loaded.count() > loads, 60000);
    EXPECT_EQ(evaluate(webView, "document.querySelectorAll('a[name^=\"sms_\"]').length").toInt(),
              10);
}

TEST(BubbleWindow, TheWindowDrawsTheShownMessagesAndFollowsTheListSelection)
{
    const ScopedDataFolder data;
    g_writeSampleLocalDb(QStringLiteral("phone"));
    MainWindow window;
    BubbleViewMgr *view = window.bubbleView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->page(), 0);

    AbsTreeItemModel::_ItemNode *db = window.treeModel()->localDbRoot()->child(0);
    ASSERT_NE(db, nullptr);
    select(window, db);
    EXPECT_EQ(view->page(), 1);
    for (const char *text : {"hello alice", "bob says hi", "alice again", "bye bob"})
        EXPECT_TRUE(view->html().contains(QLatin1String(text))) << text;

    const QList<_MsgMessage *> shown = window.smsModel()->messages();
    ASSERT_EQ(shown.size(), 4);
    window.listView()->selectionModel()->setCurrentIndex(window.smsModel()->indexOfPos(2),
                                                         QItemSelectionModel::ClearAndSelect |
                                                             QItemSelectionModel::Rows);
    EXPECT_EQ(view->anchor(), QStringLiteral("sms_%1").arg(shown.at(2)->rowid));
}

TEST(Icons, TreeAndListShowTheirPictures)
{
    ItemModelMain tree;
    for (int row = 0; row < tree.rowCount(); ++row) {
        const QVariant icon = tree.data(tree.index(row, 0), Qt::DecorationRole);
        ASSERT_TRUE(icon.canConvert<QPixmap>()) << row;
        EXPECT_FALSE(icon.value<QPixmap>().isNull()) << row;
    }
    for (const char *name : {"devices", "databases", "iphone", "android", "database", "group",
                             "icon_sms-receive", "icon_sms-sent", "imsg-rec", "imsg-send"}) {
        const QImage image(QStringLiteral(":res/%1.png").arg(QLatin1String(name)));
        EXPECT_FALSE(image.isNull()) << name;
        EXPECT_GE(image.width(), 32) << name;
    }

    // The four message marks differ from one another.
    MsgBuilder builder;
    _MsgHandle *smsPeer = builder.handle(QStringLiteral("+1555"), QStringLiteral("SMS"));
    _MsgHandle *imsgPeer = builder.handle(QStringLiteral("a@b.c"), QStringLiteral("iMessage"));
    _MsgChat *sms = builder.chat(smsPeer);
    _MsgChat *imsg = builder.chat(imsgPeer);
    sms->service_name = QStringLiteral("SMS");
    imsg->service_name = QStringLiteral("iMessage");
    const QList<_MsgMessage *> messages = {
        builder.message(sms, smsPeer, kBaseDate, QStringLiteral("a")),
        builder.message(sms, nullptr, kBaseDate, QStringLiteral("b")),
        builder.message(imsg, imsgPeer, kBaseDate, QStringLiteral("c")),
        builder.message(imsg, nullptr, kBaseDate, QStringLiteral("d"))};
    ItemModelSms list;
    list.loadSMS(messages);
    QList<QImage> marks;
    for (int row = 0; row < messages.size(); ++row) {
        const QVariant icon = list.data(list.index(row, 0), Qt::DecorationRole);
        ASSERT_TRUE(icon.canConvert<QPixmap>()) << row;
        const QImage mark = icon.value<QPixmap>().toImage();
        ASSERT_FALSE(mark.isNull()) << row;
        for (const QImage &other : marks)
            EXPECT_NE(mark, other) << row;
        marks << mark;
    }
}
