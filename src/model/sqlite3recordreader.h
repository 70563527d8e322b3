#pragma once

#include "model/sqlite3cursor.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <initializer_list>
#include <utility>
#include <variant>
#include <vector>

// Fills records from the rows of a query through a table of {column, member} pairs. The column
// positions are looked up once for each query the reader meets, not once per row: with dozens of
// columns and many thousands of rows the lookups by name would cost more than reading the values.
// A column the query lacks leaves the member at its missing value (0 or empty unless given),
// as reading it by name would.
template <typename Record> class Sqlite3RecordReader
{
public:
    class Field
    {
    public:
        // convert, when given, turns the stored 64-bit value into the member's (dates).
        Field(const char *column, int Record::*member, int missing = 0,
              int (*convert)(qint64) = nullptr)
            : m_column(QString::fromLatin1(column))
            , m_member(member)
            , m_missing(missing)
            , m_convert(convert)
        {}
        Field(const char *column, qint64 Record::*member)
            : m_column(QString::fromLatin1(column)), m_member(member)
        {}
        Field(const char *column, QString Record::*member)
            : m_column(QString::fromLatin1(column)), m_member(member)
        {}
        Field(const char *column, QByteArray Record::*member)
            : m_column(QString::fromLatin1(column)), m_member(member)
        {}
        // Fields a record keeps behind accessors (bits, values held out of line) are filled
        // through a setter instead.
        Field(const char *column, void (*set)(Record &, int), int missing = 0,
              int (*convert)(qint64) = nullptr)
            : m_column(QString::fromLatin1(column))
            , m_member(set)
            , m_missing(missing)
            , m_convert(convert)
        {}
        Field(const char *column, void (*set)(Record &, qint64))
            : m_column(QString::fromLatin1(column)), m_member(set)
        {}
        Field(const char *column, void (*set)(Record &, const QString &))
            : m_column(QString::fromLatin1(column)), m_member(set)
        {}
        Field(const char *column, void (*set)(Record &, const QByteArray &))
            : m_column(QString::fromLatin1(column)), m_member(set)
        {}
        // A text handed over as the bytes SQLite holds (UTF-8, not checked), for records that
        // keep it so: no QString is made on the way.
        Field(const char *column, void (*set)(Record &, QByteArrayView))
            : m_column(QString::fromLatin1(column)), m_member(set)
        {}

    private:
        friend class Sqlite3RecordReader;

        void read(const Sqlite3Cursor &cursor, int index, Record &record,
                  QString &previousText) const;

        QString m_column;
        // The value read for the member.
        int intValue(const Sqlite3Cursor &cursor, int index) const
        {
            if (index < 0)
                return m_missing;
            return m_convert ? m_convert(cursor.getInt64(index)) : cursor.getInt(index);
        }

        std::variant<int Record::*, qint64 Record::*, QString Record::*, QByteArray Record::*,
                     void (*)(Record &, int), void (*)(Record &, qint64),
                     void (*)(Record &, const QString &), void (*)(Record &, const QByteArray &),
                     void (*)(Record &, QByteArrayView)>
            m_member;
        int m_missing = 0;
        int (*m_convert)(qint64) = nullptr;
    };

    Sqlite3RecordReader(std::initializer_list<Field> fields) : m_fields(fields) {}
    explicit Sqlite3RecordReader(std::vector<Field> fields) : m_fields(std::move(fields)) {}

    // Fills record from the cursor's current row.
    void read(const Sqlite3Cursor &cursor, Record &record)
    {
        if (!m_bound || cursor.layoutId() != m_layoutId)
            bind(cursor);
        for (size_t i = 0; i < m_fields.size(); ++i)
            m_fields[i].read(cursor, m_positions[i], record, m_previousTexts[i]);
    }

private:
    void bind(const Sqlite3Cursor &cursor)
    {
        m_positions.clear();
        m_positions.reserve(m_fields.size());
        for (const Field &field : m_fields)
            m_positions.push_back(cursor.columnIndex(field.m_column));
        m_previousTexts.assign(m_fields.size(), QString());
        m_layoutId = cursor.layoutId();
        m_bound = true;
    }

    const std::vector<Field> m_fields;
    std::vector<int> m_positions;
    // Each text field's value in the row before: a value that repeats from row to row is then
    // held once, however many records carry it.
    std::vector<QString> m_previousTexts;
    quint64 m_layoutId = 0;
    bool m_bound = false;
};

template <typename Record>
void Sqlite3RecordReader<Record>::Field::read(const Sqlite3Cursor &cursor, int index,
                                              Record &record, QString &previousText) const
{
    switch (m_member.index()) {
    case 0:
        record.*std::get<0>(m_member) = intValue(cursor, index);
        break;
    case 1:
        record.*std::get<1>(m_member) = cursor.getInt64(index);
        break;
    case 2:
        previousText = cursor.getText(index, previousText);
        record.*std::get<2>(m_member) = previousText;
        break;
    case 3:
        record.*std::get<3>(m_member) = cursor.getBlob(index);
        break;
    case 4:
        std::get<4>(m_member)(record, intValue(cursor, index));
        break;
    case 5:
        std::get<5>(m_member)(record, cursor.getInt64(index));
        break;
    case 6:
        previousText = cursor.getText(index, previousText);
        std::get<6>(m_member)(record, previousText);
        break;
    case 7:
        std::get<7>(m_member)(record, cursor.getBlob(index));
        break;
    default:
        std::get<8>(m_member)(record, cursor.getUtf8(index));
        break;
    }
}
