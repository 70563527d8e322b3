package com.quorvandale.textlink.core;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertThrows;

import java.io.ByteArrayInputStream;
import java.io.ByteArrayOutputStream;
import java.io.EOFException;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import org.junit.jupiter.api.Test;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

class LineChannelTest {
    private static LineChannel channel(String input, int max) {
        return new LineChannel(new ByteArrayInputStream(input.getBytes(StandardCharsets.ISO_8859_1)),
                new ByteArrayOutputStream(), max);
    }

    @ParameterizedTest
    @CsvSource({"'abc\r\n', abc", "'a\rb\n', ab", "'\n', ''", "'x\ny\n', x"})
    void readsOneLineWithoutCarriageReturns(String input, String expected) throws IOException {
        assertEquals(expected, channel(input, 100).readLine());
    }

    @Test
    void linesSpanningManyReadsStayWhole() throws IOException {
        String longLine = "A".repeat(200_000);
        LineChannel c = channel(longLine + "\nnext\n", 300_000);
        assertEquals(longLine, c.readLine());
        assertEquals("next", c.readLine());
    }

    @Test
    void aLineAboveTheCapIsRefused() {
        assertThrows(ProtocolException.class, () -> channel("A".repeat(101) + "\n", 100).readLine());
    }

    @Test
    void aClosedConnectionIsNotAnEmptyLine() {
        assertThrows(EOFException.class, () -> channel("partial", 100).readLine());
    }

    @Test
    void errorLinesCarryTheirDecodedText() {
        RemoteErrorException e = assertThrows(RemoteErrorException.class,
                () -> channel("$error:" + LineChannel.encode("kaputt ü") + "\n", 100).readCommand());
        assertEquals("kaputt ü", e.getMessage());
    }

    @Test
    void unexpectedFeedbackNamesBothLines() {
        ProtocolException e = assertThrows(ProtocolException.class,
                () -> channel("$hello:x\n", 100).expect("$ready:"));
        assertEquals("invalid feedback [$hello:x], must be [$ready:]", e.getMessage());
    }
}
