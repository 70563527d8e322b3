#pragma once

#include <QByteArray>
#include <QString>

#include <string>
#include <type_traits>
#include <vector>

// Several fields of a record as texts (byte arrays in hex), so that one check compares them all
// and a failure prints every value side by side (gtest prints standard strings, not Qt's).
template <typename T> std::string fieldText(const T &value)
{
    if constexpr (std::is_arithmetic_v<T>)
        return std::to_string(value);
    else if constexpr (std::is_same_v<T, QByteArray>)
        return value.toHex().toStdString();
    else
        return QString(value).toStdString();
}

template <typename... T> std::vector<std::string> fields(const T &...values)
{
    return {fieldText(values)...};
}
