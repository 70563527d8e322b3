#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QStringList>

class JsonLine;

// Records printed on standard output: one JSON object per line with --json, otherwise a header
// line and one tab-separated line per record, in the order of the columns. Writes through the C
// library's stdout buffer, shared with everything else printing there, so lines keep their order.
class CliOutput
{
public:
    explicit CliOutput(bool json);
    ~CliOutput();
    CliOutput(const CliOutput &) = delete;
    CliOutput &operator=(const CliOutput &) = delete;

    bool isJson() const { return m_json; }
    void setColumns(const QStringList &columns);
    void record(const QJsonObject &object);
    // A record already written as a JSON object (JSON mode only; see JsonLine).
    void record(const JsonLine &line);
    // A line of plain text (text mode only; ignored with --json, where records say everything).
    void text(const QString &line);

private:
    static QString plain(const QJsonValue &value);
    static void writeLine(const QByteArray &line);

    bool m_json;
    QStringList m_columns;
    bool m_headerDone = false;
};
