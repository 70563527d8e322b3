#include "ui/stylesheet.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

QStringList g_styleWarnings;

void collectStyleWarnings(QtMsgType, const QMessageLogContext &, const QString &message)
{
    if (message.contains(QStringLiteral("style"), Qt::CaseInsensitive))
        g_styleWarnings << message;
}

} // namespace

// Qt reports a sheet it cannot parse only as a warning when a widget is polished.
TEST(StyleSheet, ParsesWithoutWarnings)
{
    g_styleWarnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectStyleWarnings);
    {
        QDialog dialog;
        auto *layout = new QVBoxLayout(&dialog);
        layout->addWidget(new QPushButton(QStringLiteral("OK")));
        layout->addWidget(new QProgressBar);
        layout->addWidget(new QTreeView);
        dialog.setStyleSheet(getStyleSheet());
        dialog.show();
        for (QWidget *child : dialog.findChildren<QWidget *>())
            child->ensurePolished();
    }
    qInstallMessageHandler(previous);
    EXPECT_TRUE(g_styleWarnings.isEmpty()) << g_styleWarnings.join('\n').toStdString();
}
