#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>
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
    // value: valid UTF-8 (as MsgCompactText keeps text), written as the same text as a QString
    // would be; every U+FFFC in it is left out when withoutPlaceholders is set.
    JsonLine &addUtf8(const char *key, QByteArrayView value, bool withoutPlaceholders = false);
    JsonLine &add(const char *key, qint64 value);
    JsonLine &add(const char *key, int value) { return add(key, qint64(value)); }
    JsonLine &add(const char *key, bool value);

    // The line's bytes, valid until the line changes.
    QByteArray bytes() const { return QByteArray::fromRawData(m_data.get(), m_size); }
    // Empties the line for the next record, keeping its memory.
    void clear();

private:
    // Room for at least n more bytes at the end; the caller writes there and then calls
    // setEnd with the position after what it wrote. Appends through QByteArray cost a good share
    // of a listing's time.
    char *room(qsizetype n);
    void setEnd(const char *end) { m_size = end - m_data.get(); }
    void append(const char *text, qsizetype n);
    // Writes value as a JSON string literal with quotes at p (room for 2 + 6 * size bytes),
    // escaped as QJsonDocument escapes; returns the end.
    static char *putString(char *p, const QString &value);
    static char *putUtf8String(char *p, QByteArrayView value, bool withoutPlaceholders);
    // Whether a comma goes before the next item; notes that the open object has an item now.
    bool needsComma();
    void appendKey(const char *key);

    std::unique_ptr<char[]> m_data;
    qsizetype m_size = 0;
    qsizetype m_capacity = 0;
    // One entry per open object or array: true until its first member is written.
    std::vector<bool> m_first;
};
