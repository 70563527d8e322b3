package com.quorvandale.textlink.core;

import java.io.IOException;
import java.util.Base64;
import java.util.List;

/** Streams every message to the desktop in batches; attachments only when it asks for them. */
public final class Backup2Service implements Service {
    public static final int BATCH = 50;
    /** Raw bytes per Base64 data line. */
    public static final int CHUNK = 512 * 1024;

    @Override
    public void serve(LineChannel channel, MessageStore store) throws IOException {
        List<SmsRecord> records = store.records();
        channel.sendFlush("$count:", Integer.toString(records.size()));
        for (int first = 0; first < records.size(); first += BATCH) {
            channel.sendFlush("$batch:", "");
            for (SmsRecord record : records.subList(first,
                    Math.min(records.size(), first + BATCH))) {
                sendRecord(channel, record);
            }
            channel.sendFlush("$end:", "");
            channel.expect("$batch:");
        }
        channel.sendFlush("$bye:", "");
        channel.expect("$bye:");
    }

    private static void sendRecord(LineChannel channel, SmsRecord record) throws IOException {
        channel.sendFlush("$sms:", RecordLines.toDesktop(record));
        if (record.parts().isEmpty()) {
            return;
        }
        String answer = channel.readCommand();
        if (answer.startsWith("0")) {
            return; // the desktop holds this message already
        }
        if (!answer.startsWith("1")) {
            throw new ProtocolException("invalid feedback [" + answer + "], must be [1]");
        }
        for (Part part : record.parts()) {
            channel.send("$atta:", part.mimeType() + "," + part.name());
            byte[] data = part.data();
            for (int offset = 0; offset < data.length; offset += CHUNK) {
                int length = Math.min(CHUNK, data.length - offset);
                channel.send("", Base64.getEncoder().encodeToString(
                        java.util.Arrays.copyOfRange(data, offset, offset + length)));
            }
            channel.sendFlush(".", "");
            channel.expect(".");
        }
    }
}
