#include "export/textfileexport.h"

#include "export/exportlog.h"
#include "frame/translation.h"

#include <QStringConverter>

#include <stdexcept>

TextFileExport::TextFileExport(const QString &path) : m_path(path), m_file(path) {}

TextFileExport::~TextFileExport()
{
    // Without a commit the temporary file goes and the target is left as it was.
    if (m_file.isOpen()) {
        qCInfo(lcExport) << "export not finished, nothing written to" << m_path;
        m_file.cancelWriting();
    }
}

void TextFileExport::init()
{
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        fail();
    m_stream.setDevice(&m_file);
    m_stream.setEncoding(QStringConverter::Utf8);
    m_stream.setGenerateByteOrderMark(false);
    writeHeader(m_stream);
}

void TextFileExport::uninit()
{
    m_stream.flush();
    if (m_stream.status() != QTextStream::Ok || !m_file.commit())
        fail();
}

void TextFileExport::fail() const
{
    throw std::runtime_error(
        g_tr("IDS_EXPORT_WRITE_FAILED_%1_%2").arg(m_path, m_file.errorString()).toStdString());
}
