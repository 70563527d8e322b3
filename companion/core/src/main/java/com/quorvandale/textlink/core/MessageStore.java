package com.quorvandale.textlink.core;

import java.io.IOException;
import java.util.List;
import java.util.Map;

/** What the services need of the phone: its description and its SMS/MMS store. */
public interface MessageStore {
    /** The pairs of the hello line ("version", "model", "manufacturer", "imei", "uid", ...). */
    Map<String, String> deviceInfo() throws IOException;

    /** Every message, oldest first. */
    List<SmsRecord> records() throws IOException;

    /** True when the same message is stored already (a batch sent again after a drop). */
    boolean contains(SmsRecord record) throws IOException;

    void insert(SmsRecord record) throws IOException;

    /** Only the default SMS app may write messages on newer systems. */
    boolean needsDefaultSmsApp();

    void becomeDefaultSmsApp() throws IOException;

    void restoreDefaultSmsApp() throws IOException;
}
