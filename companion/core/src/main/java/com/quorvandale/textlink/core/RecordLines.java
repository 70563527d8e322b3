package com.quorvandale.textlink.core;

import java.util.List;

/** The message lines of the two directions, which order their fields differently. */
public final class RecordLines {
    private RecordLines() {
    }

    /** The "$sms:" parameter the phone sends while loading. */
    public static String toDesktop(SmsRecord r) {
        return String.join(",", LineChannel.encode(r.address()),
                LineChannel.encode(r.contactName()), LineChannel.encode(r.body()),
                LineChannel.encode(r.subject()), Long.toString(r.dateMillis()),
                r.fromMe() ? "1" : "0", Integer.toString(r.parts().size()));
    }

    /** A "$sms:" parameter from the desktop: date, direction, address, body, subject, parts. */
    public static SmsRecord fromDesktop(String line, List<Part> parts) throws ProtocolException {
        String[] f = line.split(",", -1);
        if (f.length < 6) {
            throw new ProtocolException("$sms: command invalid param.");
        }
        return new SmsRecord(LineChannel.decode(f[2]), "", LineChannel.decode(f[3]),
                LineChannel.decode(f[4]), parseLong(f[0]), "1".equals(f[1].trim()), parts);
    }

    /** The number of attachments a desktop line announces. */
    public static int partCount(String line) throws ProtocolException {
        String[] f = line.split(",", -1);
        if (f.length < 6) {
            throw new ProtocolException("$sms: command invalid param.");
        }
        long n = parseLong(f[5]);
        if (n < 0 || n > 10000) {
            throw new ProtocolException("$sms: invalid attachment count.");
        }
        return (int) n;
    }

    private static long parseLong(String text) throws ProtocolException {
        try {
            return Long.parseLong(text.trim());
        } catch (NumberFormatException e) {
            throw new ProtocolException("invalid number [" + text + "]");
        }
    }
}
