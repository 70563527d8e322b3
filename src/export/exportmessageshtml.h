#pragma once

#include "export/bubblemessagemarkup.h"
#include "export/htmlexportfiles.h"
#include "model/absformatexport.h"
#include "model/msgmessage.h"

#include <QFile>
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

    // Copies the shipped pictures into the export folder: the "bubble" folder's files (style
    // sheet, bubble backgrounds, empty photo) into "files", the emoji pictures into "emoji".
    // Files already there are kept. A missing picture folder is skipped.
    static void copySharedPictures(const QString &exportDir);

private:
    HtmlExportFiles m_files;
    BubbleMessageMarkup m_markup;
    QFile m_page;
    QTextStream m_stream;
};
