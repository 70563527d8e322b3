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
    // Steps, not an endless animation: each frame of one would redraw the whole window, web view
    // included, and take time from the reading.
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, kSteps);
    m_bar->setTextVisible(false);
    m_bar->setMaximumHeight(fontMetrics().height());
    auto *cancel = new QPushButton(g_tr("IDS_CANCEL"), this);
    cancel->setObjectName(QStringLiteral("btnCancelLoading"));
    connect(cancel, &QPushButton::clicked, this, &LoadingBar::cancelRequested);
    layout->addWidget(m_bar, 1);
    layout->addWidget(cancel);
    hide();
}

void LoadingBar::showStep(int done)
{
    m_bar->setValue(done);
    show();
}
