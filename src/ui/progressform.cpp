#include "ui/progressform.h"

#include "frame/translation.h"
#include "ui/stylesheet.h"
#include "ui/tips.h"
#include "ui/uilogging.h"
#include "ui/winmovable.h"

#include "ui_progressform.h"

#include <QAtomicInt>
#include <QThread>

// The worker's side of the dialog. It holds the flags a worker reads from its own thread, and
// whether the operation has ended, which the worker checks before it starts waiting for the user.
class ProgressForm::Reporter : public AbsProgress
{
public:
    explicit Reporter(ProgressForm &form) : m_form(form) {}

    void invokeUpdateProgress(const QString &status, int value,
                              const QString &progressText) override
    {
        queue([status, value, progressText](ProgressForm &form) {
            form.updateProgress(status, value, progressText);
        });
    }

    void invokeTipsWait(const QString &text) override
    {
        // Set before the check: the user-interface thread marks the end first and clears the
        // flag after, so one of the two always clears it.
        setWaitingForUser(true);
        if (hasEnded()) {
            setWaitingForUser(false);
            return;
        }
        queue([text](ProgressForm &form) { form.tipsWait(text); });
    }

    void invokeSucceed(const QString &text) override
    {
        queue([text](ProgressForm &form) { form.succeed(text); });
    }

    void invokeErrorOccurred(const QString &text) override
    {
        queue([text](ProgressForm &form) { form.errorOccurred(text); });
    }

    bool hasEnded() const { return m_ended.loadAcquire() != 0; }

    // True for the first end only.
    bool markEnded()
    {
        const bool first = m_ended.testAndSetOrdered(0, 1);
        setWaitingForUser(false);
        return first;
    }

    void setFinished(bool withoutSuccess) { setFinishedWithoutSuccess(withoutSuccess); }
    void setWaiting(bool waiting) { setWaitingForUser(waiting); }

private:
    template <typename Call> void queue(Call call)
    {
        ProgressForm *const form = &m_form;
        // The dialog is the context: a call still queued when it is destroyed is dropped.
        QMetaObject::invokeMethod(form, [form, call] { call(*form); });
    }

    ProgressForm &m_form;
    QAtomicInt m_ended;
};

ProgressForm::ProgressForm(const QString &title, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , m_ui(std::make_unique<Ui::ProgressForm>())
    , m_reporter(std::make_unique<Reporter>(*this))
{
    m_ui->setupUi(this);
    new WinMovable(this); // owned by the dialog
    setStyleSheet(getStyleSheet());
    setWindowTitle(title);
    m_ui->lbStatus->setText(title);
    m_ui->progressBar->setRange(0, 100);
    m_ui->progressBar->setValue(0);
    m_ui->btnCancel->setText(g_tr("IDS_CANCEL"));

    connect(this, &QDialog::finished, this, &ProgressForm::onFinish);
    connect(m_ui->btnCancel, &QPushButton::pressed, this, &ProgressForm::cancel);
    connect(this, &ProgressForm::userCacel, m_reporter.get(), &AbsProgress::userCacel);
}

ProgressForm::~ProgressForm() = default;

void ProgressForm::setCancelable(bool cancelable)
{
    m_ui->btnCancel->setEnabled(cancelable);
}

AbsProgress &ProgressForm::progress()
{
    return *m_reporter;
}

const AbsProgress &ProgressForm::progress() const
{
    return *m_reporter;
}

void ProgressForm::invokeUpdateProgress(const QString &status, int value,
                                        const QString &progressText)
{
    m_reporter->invokeUpdateProgress(status, value, progressText);
}

void ProgressForm::invokeTipsWait(const QString &text)
{
    m_reporter->invokeTipsWait(text);
}

void ProgressForm::invokeSucceed(const QString &text)
{
    m_reporter->invokeSucceed(text);
}

void ProgressForm::invokeErrorOccurred(const QString &text)
{
    m_reporter->invokeErrorOccurred(text);
}

bool ProgressForm::isFinishedWithoutSuccess() const
{
    return m_reporter->isFinishedWithoutSuccess();
}

bool ProgressForm::isWaitingForUser() const
{
    return m_reporter->isWaitingForUser();
}

bool ProgressForm::runWorker(QThread &worker)
{
    const auto connection =
        connect(&worker, &QThread::finished, this, &ProgressForm::onWorkerFinished);
    worker.start();
    const int result = exec();
    worker.wait();
    disconnect(connection);
    return result == QDialog::Accepted && !isFinishedWithoutSuccess();
}

void ProgressForm::updateProgress(const QString &status, int value, const QString &progressText)
{
    if (!status.isEmpty())
        m_ui->lbStatus->setText(status);
    // The bar ignores values outside its range; a worker overshooting by rounding still means
    // "done".
    if (value >= 0)
        m_ui->progressBar->setValue(qMin(value, m_ui->progressBar->maximum()));
    m_ui->lbProgress->setText(progressText.isEmpty()
                                  ? g_tr("IDS_PROGRESS_PERCENT").arg(m_ui->progressBar->value())
                                  : progressText);
}

void ProgressForm::tipsWait(const QString &text)
{
    if (m_reporter->hasEnded()) {
        qCInfo(lcUi).noquote() << "information after the operation ended, not shown:" << text;
        m_reporter->setWaiting(false);
        return;
    }
    Tips::info(text);
    m_reporter->setWaiting(false);
}

void ProgressForm::succeed(const QString &text)
{
    if (!m_reporter->markEnded()) {
        qCInfo(lcUi).noquote() << "success reported after the operation ended:" << text;
        return;
    }
    // The finished dialog goes first: the box must not open over a progress bar still shown.
    done(QDialog::Accepted);
    if (!text.isEmpty())
        Tips::info(text);
}

void ProgressForm::errorOccurred(const QString &text)
{
    if (!m_reporter->markEnded()) {
        qCWarning(lcUi).noquote() << "error reported after the operation ended:" << text;
        return;
    }
    done(QDialog::Rejected);
    Tips::error(text);
}

void ProgressForm::onFinish(int result)
{
    m_reporter->markEnded();
    m_reporter->setFinished(result == QDialog::Rejected);
}

void ProgressForm::cancel()
{
    if (!m_reporter->markEnded())
        return;
    // Set before the signal, so that a worker reacting to it already sees the cancel.
    m_reporter->setFinished(true);
    Q_EMIT userCacel();
    done(QDialog::Rejected);
}

void ProgressForm::reject()
{
    if (m_ui->btnCancel->isEnabled())
        cancel();
    else
        qCInfo(lcUi) << "close ignored: the operation cannot be interrupted";
}

void ProgressForm::onWorkerFinished()
{
    if (m_reporter->hasEnded())
        return;
    qCWarning(lcUi) << "worker ended without reporting a result";
    errorOccurred(g_tr("IDS_WORKER_NO_REPORT"));
}
