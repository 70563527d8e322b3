#pragma once

#include <QString>

#include <optional>

// One message as the companion sends it while loading: a "$sms:" parameter of comma-separated
// fields, the texts in Base64.
struct AndroidSmsRecord
{
    QString address;
    QString contactName;
    QString body;
    QString subject;
    qint64 dateMillis = 0; // since 1970-01-01 UTC
    bool fromMe = false;
    int attachments = 0;

    // Nothing for a record of fewer than six fields, which is skipped.
    static std::optional<AndroidSmsRecord> parse(const QString &line);
};
