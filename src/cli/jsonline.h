#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// One compact JSON object written straight into UTF-8 bytes, for verbs that print many thousands
// of records: building a QJsonObject per record and serialising it cost more than reading the
// records. The bytes equal QJsonDocument's compact form of the same object provided keys are
// added in the order it writes them (sorted), which the caller keeps.
class JsonLine
{
public:
    JsonLine();

    // An object as the value of key, or as the next item of an array when key is null.
    JsonLine &beginObject(const char *key = nullptr);
    JsonLine &endObject();
    JsonLine &beginArray(const char *key);
    JsonLine &endArray();

    // key must be plain ASCII without characters that need escaping.
    JsonLine &add(const char *key, const QString &value);
    JsonLine &add(const char *key, qint64 value);
    JsonLine &add(const char *key, int value) { return add(key, qint64(value)); }
    JsonLine &add(const char *key, bool value);

    const QByteArray &bytes() const { return m_bytes; }
    // Empties the line for the next record, keeping its memory.
    void clear();

    // value as a JSON string literal with quotes, appended to out; escapes as QJsonDocument does.
    static void appendString(QByteArray &out, const QString &value);

private:
    void separate();
    void appendKey(const char *key);

    QByteArray m_bytes;
    // One entry per open object or array: true until its first member is written.
    std::vector<bool> m_first;
};
