#pragma once

#include <QList>
#include <QObject>

class QPrinter;
struct _MsgMessage;

// Prints messages as speech bubbles through the print-preview dialog. The messages stay owned by
// their MsgData, which must outlive the dialog.
class MMSPrinter : public QObject
{
    Q_OBJECT
public:
    explicit MMSPrinter(QObject *parent = nullptr);

    // Sorts a copy of the messages oldest first and runs the preview dialog (application-modal)
    // until the user prints or closes it.
    void printMMS(const QList<_MsgMessage *> &messages);
    // Keeps a copy of the messages, oldest first, for the next paint request.
    void setMessages(const QList<_MsgMessage *> &messages);

    // A4 portrait at screen resolution with margins of 20 points: the system's printer, or PDF
    // output when there is none.
    static void setUpPrinter(QPrinter &printer);

public Q_SLOTS:
    // Draws every message into printer; called by the preview for each rendering and for the
    // real print.
    void onPaintRequested(QPrinter *printer);

private:
    QList<_MsgMessage *> m_messages;
};
