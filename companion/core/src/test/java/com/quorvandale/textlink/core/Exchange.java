package com.quorvandale.textlink.core;

import java.io.ByteArrayInputStream;
import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.util.List;

/** Runs a service against the desktop's lines given in advance; returns the lines it wrote. */
final class Exchange {
    private Exchange() {
    }

    static List<String> run(Service service, MessageStore store, String... desktopLines)
            throws IOException {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        String input = desktopLines.length == 0 ? "" : String.join("\n", desktopLines) + "\n";
        LineChannel channel = new LineChannel(
                new ByteArrayInputStream(input.getBytes(StandardCharsets.UTF_8)), out);
        try {
            service.serve(channel, store);
        } finally {
            out.flush();
        }
        return lines(out);
    }

    static List<String> lines(ByteArrayOutputStream out) {
        String text = out.toString(StandardCharsets.UTF_8);
        return text.isEmpty() ? List.of() : List.of(text.split("\n", -1)).subList(0,
                text.split("\n", -1).length - 1);
    }
}
