package com.quorvandale.textlink.core;

import java.io.IOException;
import java.util.Map;

/** Describes the phone in one hello line, then waits for the desktop's goodbye. */
public final class Device2Service implements Service {
    @Override
    public void serve(LineChannel channel, MessageStore store) throws IOException {
        StringBuilder pairs = new StringBuilder();
        for (Map.Entry<String, String> pair : store.deviceInfo().entrySet()) {
            String value = pair.getValue();
            // Keys and values cannot carry the separators; an empty value is left out.
            if (value.isEmpty() || value.contains("=") || value.contains(";")) {
                continue;
            }
            pairs.append(pair.getKey()).append('=').append(value).append(';');
        }
        channel.sendFlush("$hello:", pairs.toString());
        channel.expect("$bye:");
    }
}
