#include "ui/loadingbar.h"

#include "frame/translation.h"

#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>

LoadingBar::LoadingBar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("loadingBar"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *bar = new QProgressBar(this);
    // No total is known before the last row is read: the bar only shows that work goes on.
    bar->setRange(0, 0);
    bar->setTextVisible(false);
    bar->setMaximumHeight(fontMetrics().height());
    auto *cancel = new QPushButton(g_tr("IDS_CANCEL"), this);
    cancel->setObjectName(QStringLiteral("btnCancelLoading"));
    connect(cancel, &QPushButton::clicked, this, &LoadingBar::cancelRequested);
    layout->addWidget(bar, 1);
    layout->addWidget(cancel);
    hide();
}
