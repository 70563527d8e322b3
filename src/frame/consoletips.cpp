#include "frame/consoletips.h"

#include "frame/translation.h"

#include <QFile>
#include <QMutexLocker>
#include <QRegularExpression>

#include <cstdio>

ConsoleTips::ConsoleTips(bool assumeYes, QIODevice *device) : m_out(device), m_assumeYes(assumeYes)
{
    if (!m_out) {
        m_stderr = std::make_unique<QFile>();
        if (m_stderr->open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered))
            m_out = m_stderr.get();
    }
}

ConsoleTips::~ConsoleTips() = default;

void ConsoleTips::error(const QString &text)
{
    print(errorFrame(text));
}

void ConsoleTips::errorWithoutPrefix(const QString &text)
{
    print(text);
}

void ConsoleTips::warning(const QString &text)
{
    print(text);
}

void ConsoleTips::info(const QString &text)
{
    print(text);
}

bool ConsoleTips::question(const QString &text)
{
    const char *answer = m_assumeYes ? "IDS_CONSOLE_ANSWER_YES" : "IDS_CONSOLE_ANSWER_NO";
    print(text + QLatin1Char(' ') + g_tr(answer));
    return m_assumeYes;
}

QString ConsoleTips::toPlainText(const QString &richText)
{
    static const QRegularExpression lineBreak(QStringLiteral("<\\s*(br|/p|/div|/li)\\s*/?\\s*>"),
                                              QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    QString text = richText;
    text.replace(lineBreak, QStringLiteral("\n"));
    text.remove(tag);
    // &amp; last, so that "&amp;lt;" stays the literal text "&lt;".
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
        .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
        .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
        .replace(QStringLiteral("&#39;"), QStringLiteral("'"))
        .replace(QStringLiteral("&nbsp;"), QStringLiteral(" "))
        .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text.trimmed();
}

void ConsoleTips::print(const QString &richText)
{
    const QByteArray line = (toPlainText(richText) + QLatin1Char('\n')).toUtf8();
    const QMutexLocker locker(&m_mutex);
    if (m_out)
        m_out->write(line);
}
