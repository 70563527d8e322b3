package com.quorvandale.textlink.core;

import static org.junit.jupiter.api.Assertions.assertArrayEquals;
import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertThrows;

import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.util.Base64;
import java.util.List;
import org.junit.jupiter.api.Test;

class ServicesTest {
    private static final byte[] PICTURE = "not really a jpeg".getBytes(StandardCharsets.UTF_8);

    private static String desktopLine(long date, String address, String body, int parts) {
        return "$sms:" + date + ",1," + LineChannel.encode(address) + ","
                + LineChannel.encode(body) + "," + LineChannel.encode("") + "," + parts;
    }

    @Test
    void helloLeavesOutEmptyValuesAndEndsWithBye() throws IOException {
        MemoryStore store = new MemoryStore();
        store.info.put("version", "12");
        store.info.put("model", "");
        store.info.put("manufacturer", "Acme");
        List<String> out = Exchange.run(new Device2Service(), store, "$bye:");
        assertEquals(List.of("$hello:version=12;manufacturer=Acme;"), out);
    }

    @Test
    void loadSendsPartsOnlyWhenAsked() throws IOException {
        MemoryStore store = new MemoryStore();
        Part part = new Part("image/jpeg", "a.jpg", PICTURE);
        store.records.add(new SmsRecord("+1 555", "Ann", "hi", "", 5000, false, List.of(part)));
        store.records.add(new SmsRecord("+1 555", "Ann", "", "", 6000, true, List.of(part)));
        List<String> out = Exchange.run(new Backup2Service(), store, "1", ".", "0", "$batch:",
                "$bye:");
        assertEquals(List.of("$count:2", "$batch:", "$sms:" + RecordLines.toDesktop(
                store.records.get(0)), "$atta:image/jpeg,a.jpg",
                Base64.getEncoder().encodeToString(PICTURE), ".",
                "$sms:" + RecordLines.toDesktop(store.records.get(1)), "$end:", "$bye:"), out);
    }

    @Test
    void transferStoresPartsAndSkipsWhatThePhoneHolds() throws IOException {
        MemoryStore store = new MemoryStore();
        String data = Base64.getEncoder().encodeToString(PICTURE);
        // The second batch repeats the first message, as after a dropped connection.
        List<String> out = Exchange.run(new Restore2Service(), store, "$batch:",
                desktopLine(978307200000L, "+1 555", "hello", 1), "$atta:image/png,p.png", data,
                ".", "$end:", "$batch:", desktopLine(978307200000L, "+1 555", "hello", 1),
                "$atta:image/png,p.png", data, ".", desktopLine(1, "+1 555", "other", 0), "$end:",
                "$bye:");
        assertEquals(List.of("$defsmsapp:0", ".", "$batch:", ".", "$batch:"), out);
        assertEquals(2, store.records.size());
        SmsRecord first = store.records.get(0);
        assertEquals("hello", first.body());
        assertEquals(978307200000L, first.dateMillis());
        assertArrayEquals(PICTURE, first.parts().get(0).data());
        assertEquals("p.png", first.parts().get(0).name());
    }

    @Test
    void defaultAppIsRestoredEvenWhenTheDesktopFails() {
        MemoryStore store = new MemoryStore();
        store.needsSwitch = true;
        assertThrows(IOException.class, () -> Exchange.run(new Restore2Service(), store,
                "$defsmsapp:", "$batch:", "$sms:broken"));
        assertEquals(List.of("become", "restore"), store.events);
    }

    @Test
    void oversizedAttachmentIsRefused() {
        MemoryStore store = new MemoryStore();
        String data = Base64.getEncoder().encodeToString(new byte[64]);
        assertThrows(ProtocolException.class, () -> Exchange.run(new Restore2Service(32), store,
                desktopLine(0, "x", "", 1), "$atta:a/b,f", data, "."));
        assertFalse(store.records.iterator().hasNext());
    }

    @Test
    void unknownServiceIsRefused() {
        assertThrows(ProtocolException.class, () -> ServiceLauncher.serviceFor("wipe2"));
    }
}
