package com.quorvandale.textlink.core;

import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.util.ArrayList;
import java.util.List;

/**
 * Stores the messages the desktop sends. A message already stored is not stored twice, so a
 * batch sent again after a dropped connection adds nothing the phone kept from the first try.
 */
public final class Restore2Service implements Service {
    private final int maxPartBytes;

    public Restore2Service() {
        this(256 * 1024 * 1024);
    }

    public Restore2Service(int maxPartBytes) {
        this.maxPartBytes = maxPartBytes;
    }

    @Override
    public void serve(LineChannel channel, MessageStore store) throws IOException {
        boolean switchApp = store.needsDefaultSmsApp();
        channel.sendFlush("$defsmsapp:", switchApp ? "1" : "0");
        if (switchApp) {
            channel.expect("$defsmsapp:");
            store.becomeDefaultSmsApp();
        }
        try {
            while (true) {
                String command = channel.readCommand();
                if (command.startsWith("$sms:")) {
                    receive(channel, store, command.substring(5));
                } else if (command.startsWith("$end:")) {
                    channel.sendFlush("$batch:", "");
                } else if (command.startsWith("$bye:")) {
                    return;
                }
                // "$batch:" opens a batch and needs no answer; unknown lines are ignored.
            }
        } finally {
            if (switchApp) {
                store.restoreDefaultSmsApp();
            }
        }
    }

    private void receive(LineChannel channel, MessageStore store, String line)
            throws IOException {
        int count = RecordLines.partCount(line);
        List<Part> parts = new ArrayList<>();
        for (int i = 0; i < count; i++) {
            String header = channel.expect("$atta:");
            int comma = header.indexOf(',');
            if (comma < 0) {
                throw new ProtocolException("$atta: command invalid param.");
            }
            ByteArrayOutputStream data = new ByteArrayOutputStream();
            for (String chunk = channel.readLine(); !chunk.startsWith(".");
                    chunk = channel.readLine()) {
                byte[] bytes = LineChannel.decodeBytes(chunk);
                if (data.size() + bytes.length > maxPartBytes) {
                    throw new ProtocolException("attachment too large");
                }
                data.write(bytes);
            }
            channel.sendFlush(".", "");
            parts.add(new Part(header.substring(0, comma), header.substring(comma + 1),
                    data.toByteArray()));
        }
        SmsRecord record = RecordLines.fromDesktop(line, parts);
        if (!store.contains(record)) {
            store.insert(record);
        }
    }
}
