#include "cli/clioutput.h"

#include "cli/jsonline.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cstdio>

CliOutput::CliOutput(bool json) : m_json(json) {}

CliOutput::~CliOutput()
{
    std::fflush(stdout);
}

void CliOutput::setColumns(const QStringList &columns)
{
    m_columns = columns;
    m_headerDone = false;
}

void CliOutput::writeLine(const QByteArray &line)
{
    // Buffered by the C library: one write per buffer, not per record, for long listings.
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
}

void CliOutput::record(const QJsonObject &object)
{
    if (m_json) {
        writeLine(QJsonDocument(object).toJson(QJsonDocument::Compact));
        return;
    }
    const QStringList columns = m_columns.isEmpty() ? object.keys() : m_columns;
    if (!m_headerDone) {
        writeLine(columns.join(QLatin1Char('\t')).toUtf8());
        m_headerDone = true;
    }
    QStringList values;
    for (const QString &column : columns)
        values << plain(object.value(column));
    writeLine(values.join(QLatin1Char('\t')).toUtf8());
}

void CliOutput::record(const JsonLine &line)
{
    if (m_json) {
        writeLine(line.bytes());
        return;
    }
    record(QJsonDocument::fromJson(line.bytes()).object());
}

void CliOutput::text(const QString &line)
{
    if (m_json)
        return;
    writeLine(line.toUtf8());
}
QString CliOutput::plain(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Array: {
        QStringList parts;
        for (const QJsonValue &item : value.toArray())
            parts << plain(item);
        return parts.join(QStringLiteral(", "));
    }
    case QJsonValue::Object:
        return QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QJsonValue::Double:
        return QString::number(value.toDouble(), 'g', 17);
    case QJsonValue::String: {
        // Keep one record per line whatever the text holds.
        QString s = value.toString();
        s.replace(QLatin1Char('\t'), QLatin1Char(' '));
        s.replace(QLatin1Char('\n'), QLatin1Char(' '));
        s.replace(QLatin1Char('\r'), QLatin1Char(' '));
        return s;
    }
    default:
        return QString();
    }
}
