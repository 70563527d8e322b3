#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>

#include <cstddef>
#include <cstdint>

// The scratch folder of a fuzzer whose parser reads files: each input is written to a file of it
// (in memory-backed storage when there is some) before it is parsed.
class FuzzFolder
{
public:
    // Made once per process, which it makes a quiet application (see g_fuzzQuietApp).
    static FuzzFolder &instance();

    const QDir &dir() const { return m_dir; }
    // Writes the input as name inside the folder and returns the file's path.
    QString write(const QString &name, const std::uint8_t *data, std::size_t size) const;

private:
    FuzzFolder();

    QDir m_dir;
};
