#include "msgbuilder.h"
#include "pdfprobe.h"

#include "model/msgchat.h"
#include "model/msghandle.h"
#include "ui/mmsprinter.h"

#include <gtest/gtest.h>

#include <QPrinter>
#include <QTemporaryDir>

TEST(MMSPrinter, PaintsEveryMessageOldestFirstIntoAPrinter)
{
    MsgBuilder b;
    _MsgHandle *other = b.handle(QStringLiteral("print@example.com"));
    _MsgChat *chat = b.chat(other);
    // Added newest first: the printer sorts its copy.
    b.message(chat, nullptr, 420000500, QStringLiteral("second, später"));
    b.message(chat, other, 420000000, QStringLiteral("first, früher"));

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("printed.pdf"));
    QPrinter printer(QPrinter::ScreenResolution);
    MMSPrinter::setUpPrinter(printer);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);

    MMSPrinter mmsPrinter;
    mmsPrinter.setMessages(b.data().messages());
    mmsPrinter.onPaintRequested(&printer);

    EXPECT_EQ(PdfProbe::pageCount(file), 1);
    const QString text = PdfProbe::text(file);
    const qsizetype first = text.indexOf(QStringLiteral("first, früher"));
    const qsizetype second = text.indexOf(QStringLiteral("second, später"));
    ASSERT_GE(first, 0) << text.toStdString();
    EXPECT_GT(second, first);
}
