#pragma once

#include <QString>

// What a file or folder dropped onto the window is, and the folder to open for it.
class DroppedSource
{
public:
    enum class Kind {
        Unknown,
        Backup,      // an iPhone backup folder: imported
        PhoneFolder, // a folder laid out like a phone's ("file-relay/.../sms.db"): shown
        MessageDb    // a message database file on its own: shown from a copy
    };

    explicit DroppedSource(const QString &path);

    Kind kind() const { return m_kind; }
    // The backup folder or the phone folder; for a database file inside a phone folder, that
    // folder; for a lone database file, the file itself.
    QString path() const { return m_path; }

    // Where a phone folder keeps its message database.
    static QString smsDbPathIn(const QString &folder);
    // Lays a lone database file out as a phone folder under parent (a copy, so that the original
    // is never touched); the new folder, or empty when copying failed.
    static QString makePhoneFolder(const QString &databaseFile, const QString &parent);

private:
    Kind m_kind = Kind::Unknown;
    QString m_path;
};
