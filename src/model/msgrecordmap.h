#pragma once

#include <QList>
#include <QString>

#include <algorithm>
#include <iterator>
#include <memory>
#include <vector>

// Links from one record to others of the same MsgData (a chat's messages, a message's
// attachments), each under a text key: a row id in decimal or, for some sources, a guid. Reads
// like a QHash<QString, Record *> but is a sorted array behind one pointer: a million messages
// each carrying an empty or one-entry hash cost more memory than the messages' own columns, and
// a decimal key is kept as its number, without a string of its own.
//
// Iteration runs in key order (row ids numerically, then the other keys). Readers add rows
// mostly in ascending row order, which appends; a key out of order is placed by binary search.
template <typename Record> class MsgRecordMap
{
public:
    class Entry
    {
    public:
        QString key() const { return m_text.isNull() ? QString::number(m_number) : m_text; }
        Record *value() const { return m_value; }
        bool operator==(const Entry &other) const
        {
            return m_number == other.m_number && m_text == other.m_text && m_value == other.m_value;
        }

    private:
        friend class MsgRecordMap;
        qint64 m_number = 0; // the key when it is a row id in decimal (m_text null)
        QString m_text;      // any other key
        Record *m_value = nullptr;
    };

    class const_iterator
    {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Record *;
        using difference_type = std::ptrdiff_t;
        using pointer = Record *const *;
        using reference = Record *;

        const_iterator() = default;
        explicit const_iterator(const Entry *at) : m_at(at) {}
        Record *operator*() const { return m_at->value(); }
        Record *value() const { return m_at->value(); }
        QString key() const { return m_at->key(); }
        const_iterator &operator++()
        {
            ++m_at;
            return *this;
        }
        const_iterator operator++(int)
        {
            const const_iterator before = *this;
            ++m_at;
            return before;
        }
        bool operator==(const const_iterator &other) const { return m_at == other.m_at; }
        bool operator!=(const const_iterator &other) const { return m_at != other.m_at; }

    private:
        const Entry *m_at = nullptr;
    };
    using iterator = const_iterator;

    MsgRecordMap() = default;
    MsgRecordMap(const MsgRecordMap &other)
        : m_entries(other.m_entries ? std::make_unique<Entries>(*other.m_entries) : nullptr)
    {}
    MsgRecordMap &operator=(const MsgRecordMap &other)
    {
        if (this != &other)
            m_entries = other.m_entries ? std::make_unique<Entries>(*other.m_entries) : nullptr;
        return *this;
    }
    MsgRecordMap(MsgRecordMap &&) noexcept = default;
    MsgRecordMap &operator=(MsgRecordMap &&) noexcept = default;

    // Stores value under key, replacing what the key held.
    void insert(const QString &key, Record *value) { place(makeEntry(key, value)); }
    // The same with the key given as a row id, saving the decimal text on the way.
    void insertRowId(qint64 rowid, Record *value)
    {
        if (rowid < 0) {
            insert(QString::number(rowid), value);
            return;
        }
        Entry entry;
        entry.m_number = rowid;
        entry.m_value = value;
        place(std::move(entry));
    }

    Record *value(const QString &key, Record *missing = nullptr) const
    {
        const Entry *found = find(makeEntry(key, nullptr));
        return found ? found->m_value : missing;
    }
    bool contains(const QString &key) const { return find(makeEntry(key, nullptr)) != nullptr; }
    qsizetype remove(const QString &key)
    {
        const Entry *found = find(makeEntry(key, nullptr));
        if (!found)
            return 0;
        m_entries->erase(m_entries->begin() + (found - m_entries->data()));
        releaseIfEmpty();
        return 1;
    }
    // Drops every entry for which pred(entry) holds (entry offers key() and value()).
    template <typename Pred> qsizetype removeIf(Pred pred)
    {
        if (!m_entries)
            return 0;
        const auto kept = std::remove_if(m_entries->begin(), m_entries->end(), pred);
        const qsizetype removed = m_entries->end() - kept;
        m_entries->erase(kept, m_entries->end());
        releaseIfEmpty();
        return removed;
    }
    void clear() { m_entries.reset(); }

    qsizetype size() const { return m_entries ? qsizetype(m_entries->size()) : 0; }
    qsizetype count() const { return size(); }
    bool isEmpty() const { return size() == 0; }
    QList<Record *> values() const { return QList<Record *>(cbegin(), cend()); }

    const_iterator begin() const { return cbegin(); }
    const_iterator end() const { return cend(); }
    const_iterator cbegin() const
    {
        return const_iterator(m_entries ? m_entries->data() : nullptr);
    }
    const_iterator cend() const
    {
        return const_iterator(m_entries ? m_entries->data() + m_entries->size() : nullptr);
    }
    const_iterator constBegin() const { return cbegin(); }
    const_iterator constEnd() const { return cend(); }

    bool operator==(const MsgRecordMap &other) const
    {
        if (size() != other.size())
            return false;
        return isEmpty() || *m_entries == *other.m_entries;
    }
    bool operator!=(const MsgRecordMap &other) const { return !(*this == other); }

private:
    using Entries = std::vector<Entry>;

    // A key that is a row id in decimal (digits without a leading zero, fitting 64 bits) is kept
    // as the number; parsing back gives the same text, so keys stay exactly as given.
    static Entry makeEntry(const QString &key, Record *value)
    {
        Entry entry;
        entry.m_value = value;
        const qsizetype length = key.size();
        bool numeric = length > 0 && length <= 18 && (key.at(0) != QLatin1Char('0') || length == 1);
        qint64 number = 0;
        for (qsizetype i = 0; numeric && i < length; ++i) {
            const char16_t c = key.at(i).unicode();
            numeric = c >= u'0' && c <= u'9';
            number = number * 10 + (c - u'0');
        }
        if (numeric)
            entry.m_number = number;
        else
            entry.m_text = key.isNull() ? QStringLiteral("") : key;
        return entry;
    }

    // Row-id keys first, by number; then the other keys by text.
    static bool less(const Entry &a, const Entry &b)
    {
        const bool aText = !a.m_text.isNull();
        const bool bText = !b.m_text.isNull();
        if (aText != bText)
            return bText;
        return aText ? a.m_text < b.m_text : a.m_number < b.m_number;
    }

    void place(Entry entry)
    {
        if (!m_entries)
            m_entries = std::make_unique<Entries>();
        Entries &entries = *m_entries;
        if (entries.empty() || less(entries.back(), entry)) {
            if (entries.empty())
                entries.reserve(1);
            entries.push_back(std::move(entry));
            return;
        }
        const auto at = std::lower_bound(entries.begin(), entries.end(), entry, less);
        if (at != entries.end() && !less(entry, *at))
            at->m_value = entry.m_value;
        else
            entries.insert(at, std::move(entry));
    }

    const Entry *find(const Entry &probe) const
    {
        if (!m_entries)
            return nullptr;
        const auto at = std::lower_bound(m_entries->cbegin(), m_entries->cend(), probe, less);
        if (at == m_entries->cend() || less(probe, *at))
            return nullptr;
        return &*at;
    }

    void releaseIfEmpty()
    {
        if (m_entries && m_entries->empty())
            m_entries.reset();
    }

    std::unique_ptr<Entries> m_entries; // null while empty
};
