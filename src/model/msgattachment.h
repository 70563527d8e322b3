#pragma once

#include <QByteArray>
#include <QString>

// One attachment file. Field names are the columns of the phone's `attachment` table.
struct _MsgAttachment
{
    qint64 rowid = 0;
    QString guid;
    int created_date = 0; // seconds since 2001-01-01 UTC
    int start_date = 0;
    QString filename; // the path as the phone names it ("~/Library/SMS/Attachments/...")
    QString uti;
    QString mime_type;
    int transfer_state = 5;
    int is_outgoing = 0;
    QByteArray user_info;
    QString transfer_name; // the name shown to the user
    qint64 total_bytes = 0;
    QString localPath; // the file on this computer; empty when it is not available

    // Path of a preview picture (120 px on the longer side) in the temporary folder, made on first
    // use from a JPEG or PNG file. The path is returned even when no preview could be made, so
    // callers check that the file exists.
    QString thumbnail() const;
    // A HEIC/HEIF picture rendered as a JPEG file in the temporary folder, for readers that know
    // no HEIF; empty for any other file or when it cannot be decoded.
    QString jpegRendering() const;
};
