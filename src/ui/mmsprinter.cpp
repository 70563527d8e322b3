#include "ui/mmsprinter.h"

#include "export/mmsprinterprivacy.h"
#include "frame/translation.h"
#include "model/msgfunctions.h"
#include "model/msgmessage.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrintPreviewDialog>
#include <QPrinter>

MMSPrinter::MMSPrinter(QObject *parent) : QObject(parent) {}

void MMSPrinter::setUpPrinter(QPrinter &printer)
{
    printer.setOutputFormat(QPrinter::NativeFormat);
    if (!printer.isValid())
        printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(20, 20, 20, 20), QPageLayout::Point));
}

void MMSPrinter::printMMS(const QList<_MsgMessage *> &messages)
{
    setMessages(messages);
    QPrinter printer(QPrinter::ScreenResolution);
    setUpPrinter(printer);
    QPrintPreviewDialog dialog(&printer);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setWindowTitle(g_tr("IDS_PRINT_MMS"));
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, &MMSPrinter::onPaintRequested);
    dialog.exec();
}

void MMSPrinter::setMessages(const QList<_MsgMessage *> &messages)
{
    m_messages = messages;
    g_sortMessages(m_messages, Qt::AscendingOrder);
}

void MMSPrinter::onPaintRequested(QPrinter *printer)
{
    MMSPrinterPrivacy layout;
    if (!layout.reset(printer))
        return;
    for (const _MsgMessage *message : std::as_const(m_messages))
        layout.print(message);
}
