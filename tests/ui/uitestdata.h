#pragma once

#include <QString>
#include <QTemporaryDir>

#include <functional>

class QWidget;

// A data folder of its own for one test, so that the main window lists only what the test made.
class ScopedDataFolder
{
public:
    ScopedDataFolder();
    ~ScopedDataFolder();
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

// Writes a local database "name" into the current data folder: two one-to-one chats, Alice
// (older, messages "hello alice" on day 1 and "alice again" on day 3) and Bob (newer, "bob says
// hi" on day 2 and "bye bob" on day 4).
void g_writeSampleLocalDb(const QString &name);

// Offers every open modal widget to action (from the event loop) until action returns true, so
// that code which runs a dialog's exec() can be driven.
void g_whenModal(const std::function<bool(QWidget *)> &action);
