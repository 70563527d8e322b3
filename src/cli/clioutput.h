#pragma once

#include <QJsonObject>
#include <QStringList>
#include <QTextStream>

// Records printed on standard output: one JSON object per line with --json, otherwise a header
// line and one tab-separated line per record, in the order of the columns.
class CliOutput
{
public:
    explicit CliOutput(bool json);

    bool isJson() const { return m_json; }
    void setColumns(const QStringList &columns);
    void record(const QJsonObject &object);
    // A line of plain text (text mode only; ignored with --json, where records say everything).
    void text(const QString &line);

private:
    static QString plain(const QJsonValue &value);

    bool m_json;
    QStringList m_columns;
    bool m_headerDone = false;
    QTextStream m_out;
};
