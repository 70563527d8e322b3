#pragma once

#include <QByteArray>
#include <QString>

#include <string>
#include <type_traits>
#include <vector>

// Several fields of a record as texts, so that one check compares them all and a failure prints
// every value side by side (gtest prints standard strings, not Qt's).
inline std::string fieldText(const QString &value)
{
    return value.toStdString();
}
inline std::string fieldText(const char *value)
{
    return value;
}
inline std::string fieldText(const QByteArray &value)
{
    return value.toHex().toStdString();
}
template <typename T, typename = std::enable_if_t<std::is_arithmetic_v<T>>>
std::string fieldText(T value)
{
    return std::to_string(value);
}

template <typename... T> std::vector<std::string> fields(const T &...values)
{
    return {fieldText(values)...};
}
