#include "cli/clioutput.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cstdio>

CliOutput::CliOutput(bool json) : m_json(json), m_out(stdout)
{
    m_out.setEncoding(QStringConverter::Utf8);
}

void CliOutput::setColumns(const QStringList &columns)
{
    m_columns = columns;
    m_headerDone = false;
}

void CliOutput::record(const QJsonObject &object)
{
    if (m_json) {
        m_out << QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) << '\n';
        m_out.flush();
        return;
    }
    const QStringList columns = m_columns.isEmpty() ? object.keys() : m_columns;
    if (!m_headerDone) {
        m_out << columns.join(QLatin1Char('\t')) << '\n';
        m_headerDone = true;
    }
    QStringList values;
    for (const QString &column : columns)
        values << plain(object.value(column));
    m_out << values.join(QLatin1Char('\t')) << '\n';
    m_out.flush();
}

void CliOutput::text(const QString &line)
{
    if (m_json)
        return;
    m_out << line << '\n';
    m_out.flush();
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
