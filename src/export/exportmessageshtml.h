#pragma once

#include "export/bubblemessagemarkup.h"
#include "export/htmlexportfiles.h"
#include "model/absformatexport.h"
#include "model/msgmessage.h"

#include <QFile>
#include <QSet>
#include <QString>
#include <QTextStream>

// One chat's page of an HTML export: an XHTML page of speech bubbles in the export folder, its
// attachment files and previews copied into the folder's "files" sub-folder. The driver makes
// one per chat, after calling copySharedPictures() once for the folder, and finishes each page
// (uninit) before starting the next, so only one page is open at a time.
class ExportMessagesHtml : public AbsFormatExport<_MsgMessage>
{
public:
    // Creates the "files" sub-folder of exportDir when missing; the page is exportDir/fileName.
    ExportMessagesHtml(const QString &exportDir, const QString &fileName);
    ~ExportMessagesHtml() override;

    // Opens the page (truncating it) and writes its head; std::runtime_error when it cannot.
    void init() override;
    // Writes the message's markup as one line.
    void write(_MsgMessage &message) override;
    // Ends the page and closes it.
    void uninit() override;

    QString pagePath() const { return m_page.fileName(); }

    // Copies the shipped bubble pictures (style sheet, bubble backgrounds, empty photo) into the
    // export folder's "files". Files already there are kept; a missing folder is skipped. Emoji
    // pictures are copied into "emoji" as pages use them.
    static void copySharedPictures(const QString &exportDir);

private:
    void copyUsedEmoji(const QString &markup);

    HtmlExportFiles m_files;
    BubbleMessageMarkup m_markup;
    QFile m_page;
    QTextStream m_stream;
    QSet<QString> m_copiedEmoji;
};
