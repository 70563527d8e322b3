#include "export/exportmessagespdf.h"

#include "export/exportlog.h"
#include "frame/translation.h"
#include "model/msgchat.h"
#include "model/msgmessage.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include <mutex>
#include <stdexcept>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// Qt's PDF writer takes and gives back blocks of hundreds of kilobytes for every page, picture
// and font it compresses. By default glibc hands such blocks straight back to the system, and
// the next page pays for faulting fresh zeroed memory in again: about a tenth of the processor
// time of a PDF export. Freed blocks stay in the heap instead, for the rest of the process.
void keepFreedBlocks()
{
#ifdef __GLIBC__
    static std::once_flag once;
    std::call_once(once, [] {
        mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
        mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
    });
#endif
}

} // namespace

ExportMessagesPdf::ExportMessagesPdf(const QString &path) : m_path(path), m_file(path) {}

ExportMessagesPdf::~ExportMessagesPdf()
{
    m_layout.end();
}

void ExportMessagesPdf::setUpWriter(QPdfWriter &writer)
{
    writer.setResolution(96);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(20, 20, 20, 20), QPageLayout::Point));
    writer.setCreator(g_tr("IDS_APP_TITLE"));
}

void ExportMessagesPdf::init()
{
    keepFreedBlocks();
    if (!m_file.open(QIODevice::WriteOnly))
        fail(m_file.errorString());
    m_writer = std::make_unique<QPdfWriter>(&m_file);
    setUpWriter(*m_writer);
    if (!m_layout.reset(m_writer.get()))
        fail(m_file.errorString());
}

void ExportMessagesPdf::write(_MsgMessage &message)
{
    // The file holds one conversation: its name heads the first page.
    if (!m_headed) {
        m_headed = true;
        m_layout.printHeading(message.chat ? message.chat->displayName(false)
                                           : g_tr("IDS_CHAT_UNKNOWN"));
    }
    m_layout.print(&message);
}

void ExportMessagesPdf::uninit()
{
    const bool drawn = m_layout.end();
    m_writer.reset();
    if (!drawn || !m_file.commit())
        fail(m_file.errorString());
    qCDebug(lcExport) << "PDF written:" << m_path << m_layout.pageNumber() << "pages";
}

void ExportMessagesPdf::fail(const QString &reason) const
{
    throw std::runtime_error(
        g_tr("IDS_EXPORT_WRITE_FAILED_%1_%2").arg(m_path, reason).toStdString());
}
