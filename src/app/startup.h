#pragma once

#include <QProcessEnvironment>

// True when the environment names a display server or picks a Qt platform explicitly; without
// either, creating the widget application would abort.
bool g_displayAvailable(const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment());

// The desktop program: start-up, the main window and the event loop. Returns the exit status.
int g_runDesktop(int argc, char **argv);
