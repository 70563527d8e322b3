#include "export/exportmessageshtml.h"

#include "export/exportlog.h"
#include "export/htmlmarkup.h"
#include "export/picturedirs.h"
#include "frame/translation.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <stdexcept>

namespace {

void copyFiles(const QString &from, const QString &to)
{
    if (from.isEmpty())
        return;
    if (!QDir().mkpath(to)) {
        qCWarning(lcExport) << "cannot create" << to;
        return;
    }
    const QDir source(from);
    const QStringList names = source.entryList(QDir::Files);
    for (const QString &name : names)
        QFile::copy(source.filePath(name), QDir(to).filePath(name)); // an existing copy is kept
}

} // namespace

ExportMessagesHtml::ExportMessagesHtml(const QString &exportDir, const QString &fileName)
    : m_files(exportDir), m_markup(m_files), m_page(QDir(exportDir).filePath(fileName))
{}

ExportMessagesHtml::~ExportMessagesHtml() = default;

void ExportMessagesHtml::copySharedPictures(const QString &exportDir)
{
    copyFiles(g_bubblePictureDir(), HtmlExportFiles::filesDirOf(exportDir));
}

void ExportMessagesHtml::copyUsedEmoji(const QString &markup)
{
    // Only the pictures the pages show: the whole set is some 1,500 files.
    static const QRegularExpression used(QStringLiteral("src=\"emoji/([0-9A-Fa-f-]+)\\.png\""));
    // Most messages show none; finding the folder costs file look-ups.
    if (!markup.contains(QLatin1String("src=\"emoji/")))
        return;
    const QString from = g_emojiPictureDir();
    if (from.isEmpty())
        return;
    const QDir to(QFileInfo(m_page.fileName()).dir().filePath(QStringLiteral("emoji")));
    for (auto match = used.globalMatch(markup); match.hasNext();) {
        const QString name = match.next().captured(1) + QStringLiteral(".png");
        if (m_copiedEmoji.contains(name))
            continue;
        m_copiedEmoji.insert(name);
        if (!to.exists() && !QDir().mkpath(to.path()))
            qCWarning(lcExport) << "cannot create" << to.path();
        QFile::copy(QDir(from).filePath(name), to.filePath(name)); // an existing copy is kept
    }
}

void ExportMessagesHtml::init()
{
    if (!m_page.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error(m_page.errorString().toStdString());
    m_stream.setDevice(&m_page);
    m_stream.setEncoding(QStringConverter::Utf8);
    m_markup.restartDateLines();
    m_stream << g_bubblePageHead(g_tr("IDS_APP_TITLE"), QStringLiteral("files/style.css"));
}

void ExportMessagesHtml::write(_MsgMessage &message)
{
    const QString markup = m_markup.message(message);
    copyUsedEmoji(markup);
    m_stream << markup << '\n';
}

void ExportMessagesHtml::uninit()
{
    m_stream << g_bubblePageTail();
    m_stream.flush();
    const bool written = m_stream.status() == QTextStream::Ok;
    m_page.close();
    if (!written || m_page.error() != QFileDevice::NoError)
        throw std::runtime_error(m_page.errorString().toStdString());
}
