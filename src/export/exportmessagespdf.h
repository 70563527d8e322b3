#pragma once

#include "export/mmsprinterprivacy.h"
#include "model/absformatexport.h"

#include <QSaveFile>
#include <QString>

#include <memory>

class QPdfWriter;
struct _MsgMessage;

// One chat's messages as a PDF file of speech bubbles on A4 pages. The file appears under its
// name only when uninit() has finished the document; a failed or cancelled export leaves no
// half-drawn file that looks complete.
class ExportMessagesPdf : public AbsFormatExport<_MsgMessage>
{
public:
    explicit ExportMessagesPdf(const QString &path);
    ~ExportMessagesPdf() override;

    // Opens the file and starts page 1. Throws std::runtime_error when the file cannot be
    // written.
    void init() override;
    void write(_MsgMessage &message) override;
    // Finishes the document and puts the file in place. Throws std::runtime_error on failure.
    void uninit() override;

    const QString &path() const { return m_path; }
    // The pages drawn so far.
    int pageCount() const { return m_layout.pageNumber(); }

    // Sets up a writer as every exported document is laid out: A4, 96 units per inch, margins
    // of 20 points.
    static void setUpWriter(QPdfWriter &writer);

private:
    [[noreturn]] void fail(const QString &reason) const;

    const QString m_path;
    // Destroyed in reverse order: painting ends before the writer goes, the writer before the
    // file is discarded (when it was never committed).
    QSaveFile m_file;
    std::unique_ptr<QPdfWriter> m_writer;
    MMSPrinterPrivacy m_layout;
    bool m_headed = false;
};
