package com.quorvandale.textlink.core;

import java.util.List;

/** One SMS or MMS of the phone's store, as both services carry it. */
public record SmsRecord(String address, String contactName, String body, String subject,
        long dateMillis, boolean fromMe, List<Part> parts) {

    public SmsRecord {
        parts = List.copyOf(parts);
    }

    /** The same message already stored: the phone keeps one copy per sender, time and text. */
    public boolean sameMessage(SmsRecord other) {
        return address.equals(other.address) && dateMillis == other.dateMillis
                && fromMe == other.fromMe && body.equals(other.body)
                && parts.size() == other.parts.size();
    }
}
