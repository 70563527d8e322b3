package com.quorvandale.textlink.core;

import java.io.ByteArrayOutputStream;
import java.io.EOFException;
import java.io.IOException;
import java.io.InputStream;
import java.io.OutputStream;
import java.nio.charset.StandardCharsets;
import java.util.Base64;

/**
 * The line protocol both sides speak: one command per line, a command word such as "$sms:"
 * followed by its parameter; everything that is not ASCII travels as Base64.
 */
public final class LineChannel {
    /** Longest line accepted, a Base64 attachment line included. */
    public static final int MAX_LINE = 64 * 1024 * 1024;
    public static final String ERROR = "$error:";

    private final InputStream in;
    private final OutputStream out;
    private final int maxLine;
    private final byte[] buffer = new byte[65536];
    private int start;
    private int end;

    public LineChannel(InputStream in, OutputStream out) {
        this(in, out, MAX_LINE);
    }

    public LineChannel(InputStream in, OutputStream out, int maxLine) {
        this.in = in;
        this.out = out;
        this.maxLine = maxLine;
    }

    /** One line without its line feed; carriage returns are dropped. */
    public String readLine() throws IOException {
        ByteArrayOutputStream line = new ByteArrayOutputStream();
        while (true) {
            if (start == end) {
                int n = in.read(buffer);
                if (n < 0) {
                    throw new EOFException("connection closed");
                }
                start = 0;
                end = n;
            }
            int feed = start;
            while (feed < end && buffer[feed] != '\n') {
                feed++;
            }
            if (line.size() + (feed - start) > maxLine) {
                throw new ProtocolException("line longer than " + maxLine + " bytes");
            }
            line.write(buffer, start, feed - start);
            if (feed < end) {
                start = feed + 1;
                return stripCarriageReturns(line.toByteArray());
            }
            start = end;
        }
    }

    private static String stripCarriageReturns(byte[] bytes) {
        return new String(bytes, StandardCharsets.ISO_8859_1).replace("\r", "");
    }

    /** A line that is not empty and not an error line. */
    public String readCommand() throws IOException {
        String line = readLine();
        if (line.isEmpty()) {
            throw new ProtocolException("Null command.");
        }
        if (line.startsWith(ERROR)) {
            throw new RemoteErrorException(decode(line.substring(ERROR.length())));
        }
        return line;
    }

    /** A command that must begin with expected; anything else ends the exchange. */
    public String expect(String expected) throws IOException {
        String line = readCommand();
        if (!line.startsWith(expected)) {
            throw new ProtocolException(
                    "invalid feedback [" + line + "], must be [" + expected + "]");
        }
        return line.substring(expected.length());
    }

    public void send(String command, String parameter) throws IOException {
        out.write((command + parameter + "\n").getBytes(StandardCharsets.UTF_8));
    }

    public void sendFlush(String command, String parameter) throws IOException {
        send(command, parameter);
        out.flush();
    }

    /** Tells the peer why the exchange ends; failures to do so do not hide the first error. */
    public void sendError(String message) {
        try {
            sendFlush(ERROR, encode(message == null ? "" : message));
        } catch (IOException ignored) {
            // The connection is already gone; the caller reports the original error.
        }
    }

    public static String encode(String text) {
        return Base64.getEncoder().encodeToString(text.getBytes(StandardCharsets.UTF_8));
    }

    public static String decode(String base64) throws ProtocolException {
        return new String(decodeBytes(base64), StandardCharsets.UTF_8);
    }

    public static byte[] decodeBytes(String base64) throws ProtocolException {
        try {
            return Base64.getDecoder().decode(base64.trim());
        } catch (IllegalArgumentException e) {
            throw new ProtocolException("invalid Base64 text");
        }
    }
}
