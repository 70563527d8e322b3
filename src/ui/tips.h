#pragma once

#include <QMessageBox>
#include <QString>

// Shows a modal, frameless, movable message box with the program's title and style, the buttons of
// the mask in the order Yes, No, Ok, Cancel, and returns the button pressed. Texts are rich text.
// User-interface thread only.
QMessageBox::StandardButton g_showMessageBox(QMessageBox::Icon icon, const QString &text,
                                             QMessageBox::StandardButtons buttons);

// The program's message boxes. All are modal and belong to the user-interface thread.
class Tips
{
public:
    // Framed as an error report with an invitation to write to support.
    static void error(const QString &text);
    static void errorWithoutPrefix(const QString &text);
    static void warning(const QString &text);
    static void info(const QString &text);
    // True when the user answered Yes.
    static bool question(const QString &text);

    // The text error() shows for the given text.

    // Makes these boxes answer the message-box requests of core code (AbsTips), from any thread.
    static void installAsAbsTips();
};
