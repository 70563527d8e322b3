package com.quorvandale.textlink.core;

import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;

/** A store held in memory, recording what the services did to it. */
final class MemoryStore implements MessageStore {
    final List<SmsRecord> records = new ArrayList<>();
    final Map<String, String> info = new LinkedHashMap<>();
    final List<String> events = new ArrayList<>();
    boolean needsSwitch;

    @Override
    public Map<String, String> deviceInfo() {
        return info;
    }

    @Override
    public List<SmsRecord> records() {
        return records;
    }

    @Override
    public boolean contains(SmsRecord record) {
        return records.stream().anyMatch(r -> r.sameMessage(record));
    }

    @Override
    public void insert(SmsRecord record) {
        records.add(record);
    }

    @Override
    public boolean needsDefaultSmsApp() {
        return needsSwitch;
    }

    @Override
    public void becomeDefaultSmsApp() {
        events.add("become");
    }

    @Override
    public void restoreDefaultSmsApp() {
        events.add("restore");
    }
}
