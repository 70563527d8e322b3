#pragma once

#include <QString>

// The process-wide log: one line per Qt message, "(D hh:mm:ss) text" and so on, appended to the
// daily file root/log-yyyyMMdd.txt and flushed after each line. Safe to call from any thread.

// Deletes the oldest log files of root (name order) so that at most `count` remain, then installs
// the message handler. The file is opened on the first message and stays open; when root cannot be
// made or the file cannot be opened the lines are lost, nothing else happens. A fatal message is
// written and then aborts the process. Installing again switches to the new root.
void logsaver_install_msghandler(const QString &root, int count);

// Puts the previous message handler back and closes the log file.
void logsaver_uninstall_msghandler();

// Debug messages are also echoed, unformatted, on standard output (default: on). The command line
// switches this off when standard output carries its results.
void logsaver_set_echo(bool echo);
