#pragma once

#include <QList>
#include <QString>
#include <QStringList>

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
    // A key that is a row id in decimal is stored as its number (0 or more); any other key as
    // -1 - its index among the block's texts.
    struct Slot
    {
        qint64 key = 0;
        Record *value = nullptr;
    };
    struct Block
    {
        std::vector<Slot> slots; // in key order
        QStringList texts;
    };
    // A key being looked up or added: number is -1 for a text key.
    struct Probe
    {
        qint64 number = -1;
        QString text;
    };

public:
    // One entry as iteration and removeIf see it.
    class Entry
    {
    public:
        QString key() const
        {
            return m_slot->key >= 0 ? QString::number(m_slot->key)
                                    : m_block->texts.at(-1 - m_slot->key);
        }
        Record *value() const { return m_slot->value; }

    private:
        friend class MsgRecordMap;
        Entry(const Block *block, const Slot *slot) : m_block(block), m_slot(slot) {}
        const Block *m_block;
        const Slot *m_slot;
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
        Record *operator*() const { return m_at->value; }
        Record *value() const { return m_at->value; }
        QString key() const { return Entry(m_block, m_at).key(); }
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
        friend class MsgRecordMap;
        const_iterator(const Block *block, const Slot *at) : m_block(block), m_at(at) {}
        const Block *m_block = nullptr;
        const Slot *m_at = nullptr;
    };
    using iterator = const_iterator;

    MsgRecordMap() = default;
    MsgRecordMap(const MsgRecordMap &other)
        : m_block(other.m_block ? std::make_unique<Block>(*other.m_block) : nullptr)
    {}
    MsgRecordMap &operator=(const MsgRecordMap &other)
    {
        if (this != &other)
            m_block = other.m_block ? std::make_unique<Block>(*other.m_block) : nullptr;
        return *this;
    }
    MsgRecordMap(MsgRecordMap &&) noexcept = default;
    MsgRecordMap &operator=(MsgRecordMap &&) noexcept = default;

    // Stores value under key, replacing what the key held.
    void insert(const QString &key, Record *value) { place(probeOf(key), value); }
    // The same with the key given as a row id, saving the decimal text on the way.
    void insertRowId(qint64 rowid, Record *value)
    {
        if (rowid < 0)
            insert(QString::number(rowid), value);
        else
            place(Probe{rowid, QString()}, value);
    }

    Record *value(const QString &key, Record *missing = nullptr) const
    {
        const Slot *found = find(probeOf(key));
        return found ? found->value : missing;
    }
    bool contains(const QString &key) const { return find(probeOf(key)) != nullptr; }
    qsizetype remove(const QString &key)
    {
        const Slot *found = find(probeOf(key));
        if (!found)
            return 0;
        m_block->slots.erase(m_block->slots.begin() + (found - m_block->slots.data()));
        releaseIfEmpty();
        return 1;
    }
    // Drops every entry for which pred(entry) holds (entry offers key() and value()).
    template <typename Pred> qsizetype removeIf(Pred pred)
    {
        if (!m_block)
            return 0;
        std::vector<Slot> &slots = m_block->slots;
        const Block *block = m_block.get();
        const auto kept = std::remove_if(slots.begin(), slots.end(), [&](const Slot &slot) {
            return pred(Entry(block, &slot));
        });
        const qsizetype removed = slots.end() - kept;
        slots.erase(kept, slots.end());
        releaseIfEmpty();
        return removed;
    }
    void clear() { m_block.reset(); }

    qsizetype size() const { return m_block ? qsizetype(m_block->slots.size()) : 0; }
    qsizetype count() const { return size(); }
    bool isEmpty() const { return size() == 0; }
    QList<Record *> values() const { return QList<Record *>(cbegin(), cend()); }

    const_iterator begin() const { return cbegin(); }
    const_iterator end() const { return cend(); }
    const_iterator cbegin() const
    {
        return m_block ? const_iterator(m_block.get(), m_block->slots.data()) : const_iterator();
    }
    const_iterator cend() const
    {
        return m_block
                   ? const_iterator(m_block.get(), m_block->slots.data() + m_block->slots.size())
                   : const_iterator();
    }
    const_iterator constBegin() const { return cbegin(); }
    const_iterator constEnd() const { return cend(); }

    bool operator==(const MsgRecordMap &other) const
    {
        if (size() != other.size())
            return false;
        for (qsizetype i = 0; i < size(); ++i) {
            const Slot &a = m_block->slots[size_t(i)];
            const Slot &b = other.m_block->slots[size_t(i)];
            if (a.value != b.value || (a.key >= 0) != (b.key >= 0))
                return false;
            if (a.key >= 0 ? a.key != b.key : textOf(a) != other.textOf(b))
                return false;
        }
        return true;
    }
    bool operator!=(const MsgRecordMap &other) const { return !(*this == other); }

private:
    // Digits without a leading zero, short enough for 64 bits, are a row id: parsing back gives
    // the same text, so keys stay exactly as given.
    static Probe probeOf(const QString &key)
    {
        const qsizetype length = key.size();
        bool numeric = length > 0 && length <= 18 && (key.at(0) != QLatin1Char('0') || length == 1);
        qint64 number = 0;
        for (qsizetype i = 0; numeric && i < length; ++i) {
            const char16_t c = key.at(i).unicode();
            numeric = c >= u'0' && c <= u'9';
            number = number * 10 + (c - u'0');
        }
        if (numeric)
            return Probe{number, QString()};
        return Probe{-1, key.isNull() ? QStringLiteral("") : key};
    }

    const QString &textOf(const Slot &slot) const { return m_block->texts.at(-1 - slot.key); }

    // Row-id keys first, by number; then the other keys by text. Negative: slot before probe.
    int compare(const Slot &slot, const Probe &probe) const
    {
        const bool slotText = slot.key < 0;
        const bool probeText = probe.number < 0;
        if (slotText != probeText)
            return slotText ? 1 : -1;
        if (!slotText)
            return slot.key < probe.number ? -1 : (slot.key > probe.number ? 1 : 0);
        return textOf(slot).compare(probe.text);
    }

    void place(const Probe &probe, Record *value)
    {
        if (!m_block)
            m_block = std::make_unique<Block>();
        std::vector<Slot> &slots = m_block->slots;
        auto at = slots.end();
        if (!slots.empty() && compare(slots.back(), probe) >= 0) {
            at = std::lower_bound(
                slots.begin(), slots.end(), probe,
                [this](const Slot &slot, const Probe &p) { return compare(slot, p) < 0; });
            if (compare(*at, probe) == 0) {
                at->value = value;
                return;
            }
        }
        Slot slot{probe.number, value};
        if (probe.number < 0) {
            m_block->texts.append(probe.text);
            slot.key = -qint64(m_block->texts.size());
        }
        slots.insert(at, slot);
    }

    const Slot *find(const Probe &probe) const
    {
        if (!m_block)
            return nullptr;
        const std::vector<Slot> &slots = m_block->slots;
        const auto at = std::lower_bound(
            slots.cbegin(), slots.cend(), probe,
            [this](const Slot &slot, const Probe &p) { return compare(slot, p) < 0; });
        if (at == slots.cend() || compare(*at, probe) != 0)
            return nullptr;
        return &*at;
    }

    void releaseIfEmpty()
    {
        if (m_block && m_block->slots.empty())
            m_block.reset();
    }

    std::unique_ptr<Block> m_block; // null while empty
};
