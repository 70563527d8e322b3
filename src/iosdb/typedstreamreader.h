#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Reads the archive format the phone's message database keeps rich text in (the attributedBody
// column and the text of each edit): a typed stream of shared strings, classes and objects. It
// follows the structure rather than searching for byte patterns, and checks every length against
// the bytes present: an archive cut short or malformed gives no text rather than a wrong one.
class TypedStreamReader
{
public:
    // The plain text of an archived attributed string: the contents of the first string object
    // inside the root object. Empty when the bytes are no such archive.
    static std::optional<QString> attributedText(const QByteArray &archive);

private:
    // One entry of the table objects and classes share: a class holds its chain only.
    struct Entry
    {
        bool isClass = false;
        QStringList classes;             // most derived first
        std::optional<QByteArray> bytes; // the first raw byte string among its values
    };
    struct Malformed
    {};

    explicit TypedStreamReader(const QByteArray &archive) : m_data(archive) {}

    void readHeader();
    quint8 peek() const;
    quint8 next();
    QByteArray take(qint64 count);
    qint64 fixedInteger(int bytes);
    qint64 integerAfter(quint8 head);
    qint64 integer();
    int reference(quint8 head, qsizetype tableSize);
    std::optional<QByteArray> sharedString();
    QStringList readClass(int depth);
    int readObject(int depth);
    void readGroup(int owner, int depth);
    void readValue(const QByteArray &type, qsizetype &pos, int owner, int depth);

    const QByteArray m_data;
    qsizetype m_pos = 0;
    bool m_bigEndian = false;
    bool m_found = false; // the text is read; the rest of the archive does not matter
    QList<QByteArray> m_strings;
    QList<Entry> m_table;
};
