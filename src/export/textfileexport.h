#pragma once

#include "model/absformatexport.h"

#include <QSaveFile>
#include <QString>
#include <QTextStream>

struct _MsgMessage;

// The common part of the exporters that write one UTF-8 text file. The file appears under its
// name only when uninit() has written everything: a run that fails or is cancelled leaves no
// half-written file that looks complete, and an older file of that name keeps its content.
class TextFileExport : public AbsFormatExport<_MsgMessage>
{
public:
    explicit TextFileExport(const QString &path);
    ~TextFileExport() override;

    // Opens the file and writes the header line. Throws std::runtime_error with the system's text.
    void init() override;
    // Flushes and puts the file in place. Throws std::runtime_error when that fails.
    void uninit() override;

    const QString &path() const { return m_path; }

protected:
    virtual void writeHeader(QTextStream &out) = 0;
    QTextStream &stream() { return m_stream; }

private:
    [[noreturn]] void fail() const;

    const QString m_path;
    QSaveFile m_file;
    QTextStream m_stream;
};
