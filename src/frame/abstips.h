#pragma once

#include <QString>

// Message boxes asked for by code below the widgets. The desktop program installs its Tips
// (modal boxes), the command line a console implementation; until one is installed, texts go to
// the log and questions are answered "no".
class AbsTips
{
public:
    virtual ~AbsTips();

    // Framed as an error report ("An Error Occurred." ... an invitation to write to support).
    virtual void error(const QString &text) = 0;
    virtual void errorWithoutPrefix(const QString &text) = 0;
    virtual void warning(const QString &text) = 0;
    virtual void info(const QString &text) = 0;
    // True when the user answered yes.
    virtual bool question(const QString &text) = 0;

    // The framing error() gives a text: what happened, and where to ask for help.
    static QString errorFrame(const QString &text);

    // The installed implementation; never null. install(nullptr) restores the logging default.
    // The caller keeps ownership of what it installs and must outlive its use.
    static AbsTips &instance();
    static void install(AbsTips *tips);
};
