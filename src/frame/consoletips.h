#pragma once

#include "frame/abstips.h"

#include <QMutex>

#include <memory>

class QFile;
class QIODevice;

// The message boxes of the command line: texts as plain lines on standard error. Nobody is asked
// anything: question() gives the answer chosen at construction (no, unless assume-yes).
class ConsoleTips : public AbsTips
{
public:
    // device: where texts go, not owned; null means standard error.
    explicit ConsoleTips(bool assumeYes = false, QIODevice *device = nullptr);
    ~ConsoleTips() override;

    void error(const QString &text) override;
    void errorWithoutPrefix(const QString &text) override;
    void warning(const QString &text) override;
    void info(const QString &text) override;
    bool question(const QString &text) override;

    // Rich text as the console shows it: "<br/>" and friends become line breaks, other tags go,
    // the common entities are decoded.
    static QString toPlainText(const QString &richText);

private:
    void print(const QString &richText);

    QMutex m_mutex;
    std::unique_ptr<QFile> m_stderr;
    QIODevice *m_out = nullptr;
    const bool m_assumeYes;
};
