#pragma once

// A target that messages are written to one at a time: an export file format or a local
// database. Callers hold exporters through QSharedPointer and call, in this order: init() once,
// write() for every message, uninit() once. An exception from any call ends the run; uninit() is
// then not called, so an implementation must not leave anything half-done that only uninit()
// would finish (a database writer simply drops its open transaction).
template <typename T> class AbsFormatExport
{
public:
    virtual ~AbsFormatExport() = default;

    // Opens the target (a file, a transaction).
    virtual void init() = 0;
    // Adds one record to the target. Records the target cannot hold are skipped, not reported.
    virtual void write(T &item) = 0;
    // Finishes the target (flushes, commits) and closes it.
    virtual void uninit() = 0;

protected:
    AbsFormatExport() = default;
    AbsFormatExport(const AbsFormatExport &) = delete;
    AbsFormatExport &operator=(const AbsFormatExport &) = delete;
};
