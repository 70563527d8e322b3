#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>

// One conversation with Leo written as an older phone keeps it (dates in seconds, texts in the
// text column) or as a later phone does (nanoseconds, most texts only in the archived body),
// the later one with what only later phones have: reactions and a removal, a reaction to a
// message the database lacks, a reply, an edit, an unsent message, a HEIC picture and an audio
// message whose file is missing.
struct ModernPhoneSample
{
    static constexpr int kBase = 700000000; // seconds since 2001 of the first message
    static constexpr const char *kLeo = "+15551230042";
    static constexpr const char *kAsk = "0A5C1E00-0000-4000-8000-0000000000A1";
    static constexpr const char *kAnswer = "0A5C1E00-0000-4000-8000-0000000000A2";
    static constexpr const char *kThanks = "0A5C1E00-0000-4000-8000-0000000000A3";
    static constexpr const char *kReply = "0A5C1E00-0000-4000-8000-0000000000A4";
    static constexpr const char *kEdited = "0A5C1E00-0000-4000-8000-0000000000A5";
    static constexpr const char *kUnsent = "0A5C1E00-0000-4000-8000-0000000000A6";

    // Writes the phone folder; later: the later phone's layout and additions.
    static void write(const QDir &folder, bool later);
    // A small HEIC picture; empty when this machine's libheif cannot encode one.
    static QByteArray heicPicture();
};
