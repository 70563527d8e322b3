#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QMap>
#include <QSharedPointer>
#include <QString>
#include <QStringList>

struct QPlist_private;

// A cheap-to-copy handle over one property-list node. Copies share one record; a node the handle
// owns is freed when the last copy goes. Handles on items inside a dictionary or array do not own
// their node but keep the owner of the whole tree alive, so they never dangle while in use.
// Every query on a null handle or a node of another type returns the empty value.
class QPlist
{
public:
    // A handle on no node.
    QPlist();
    // Wraps an existing libplist node (plist_t); an owned node is freed with the last copy.
    QPlist(void *node, bool owned);

    void *plist() const;
    // Lets a libplist function that creates a node store it into this handle.
    void *&plist_ref();

    bool isNull() const;
    bool isDict() const;
    bool isArray() const;
    bool isKey() const;
    bool isString() const;
    bool isDate() const;
    bool isData() const;
    bool isReal() const;
    bool isUint() const;
    bool isBool() const;

    QString toString() const;
    QString toKeyString() const;
    quint64 toUint() const;
    double toReal() const;
    bool toBool() const;
    QByteArray toData() const;
    // The stored date (UTC); invalid when this is no date node.
    QDateTime toDate() const;
    QByteArray toBin() const;
    QString toXml() const;

    // Dictionary access. get() returns a non-owning handle, null when the key is missing.
    QPlist get(const QString &key) const;
    // Replaces any item of that key. An owned value node moves into the dictionary (its handle
    // stops owning it); any other value is copied in, so no node ever gets two parents.
    void put(const QString &key, const QPlist &value);
    quint32 dict_size() const;
    // Owned copies of every item.
    QMap<QString, QPlist> toMap() const;

    // Array access, with the same ownership rules as the dictionary.
    quint32 array_size() const;
    QPlist at(quint32 index) const;
    // The string items of an array, in order (other items skipped); empty for any other node.
    QStringList toStringList() const;
    void push_back(const QPlist &value);

    static QPlist newDict(bool owned = true);
    static QPlist newArray(bool owned = true);
    static QPlist create(bool owned = true);
    static QPlist fromString(const QString &value, bool owned = true);
    static QPlist fromKey(const QString &value, bool owned = true);
    static QPlist fromData(const QByteArray &value, bool owned = true);
    static QPlist fromUint(quint64 value, bool owned = true);
    static QPlist fromReal(double value, bool owned = true);
    static QPlist fromBool(bool value, bool owned = true);
    // Whole seconds since 2001-01-01 00:00:00 UTC; a null handle for an invalid or
    // unrepresentable date.
    static QPlist fromDate(const QDateTime &value, bool owned = true);
    // Binary when the data begins with "bplist00", XML otherwise; a null handle when the data is
    // no property list.
    static QPlist fromFileBin(const QByteArray &data, bool owned = true);
    // Reads and parses a property-list file; throws std::runtime_error naming the file when it
    // cannot be read or holds no property list.
    static QPlist fromFile(const QString &path);

    QPlist clone(bool owned = true) const;
    // Frees an owned node at once; every copy of this handle becomes null, and handles on items
    // inside it must no longer be used.
    void plistFree();

private:
    QPlist childHandle(void *node) const;
    QPlist adoptable(const QPlist &value) const;
    int nodeType() const;

    QSharedPointer<QPlist_private> m_d;
};
