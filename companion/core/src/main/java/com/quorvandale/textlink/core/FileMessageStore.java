package com.quorvandale.textlink.core;

import java.io.IOException;
import java.io.Reader;
import java.io.Writer;
import java.nio.charset.StandardCharsets;
import java.nio.file.DirectoryStream;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Comparator;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;
import java.util.Properties;

/**
 * A phone's store kept in a folder, for tests and the demo: "device.properties" describes the
 * phone, "messages/N.properties" holds one message each and "messages/N-K.bin" its parts.
 * Property files are read and written as UTF-8.
 */
public final class FileMessageStore implements MessageStore {
    static final String[] INFO_KEYS = {"version", "model", "manufacturer", "imei", "uid", "sdk",
        "sdk_id", "root", "storage1", "mmc"};

    private final Path folder;
    private final Path messages;
    private int inserts;

    public FileMessageStore(Path folder) throws IOException {
        this.folder = folder;
        this.messages = folder.resolve("messages");
        Files.createDirectories(messages);
    }

    @Override
    public synchronized Map<String, String> deviceInfo() throws IOException {
        Properties device = device();
        Map<String, String> info = new LinkedHashMap<>();
        for (String key : INFO_KEYS) {
            info.put(key, device.getProperty(key, ""));
        }
        return info;
    }

    @Override
    public synchronized List<SmsRecord> records() throws IOException {
        List<Path> files = new ArrayList<>();
        try (DirectoryStream<Path> list = Files.newDirectoryStream(messages, "*.properties")) {
            list.forEach(files::add);
        }
        files.sort(Comparator.comparingLong(FileMessageStore::number));
        List<SmsRecord> records = new ArrayList<>();
        for (Path file : files) {
            records.add(read(file));
        }
        return records;
    }

    @Override
    public synchronized boolean contains(SmsRecord record) throws IOException {
        for (SmsRecord stored : records()) {
            if (stored.sameMessage(record)) {
                return true;
            }
        }
        return false;
    }

    @Override
    public synchronized void insert(SmsRecord record) throws IOException {
        long next = nextNumber();
        Properties p = new Properties();
        p.setProperty("address", record.address());
        p.setProperty("contact_name", record.contactName());
        p.setProperty("body", record.body());
        p.setProperty("subject", record.subject());
        p.setProperty("date", Long.toString(record.dateMillis()));
        p.setProperty("from_me", record.fromMe() ? "1" : "0");
        p.setProperty("parts", Integer.toString(record.parts().size()));
        for (int k = 0; k < record.parts().size(); k++) {
            Part part = record.parts().get(k);
            p.setProperty("part." + k + ".mime", part.mimeType());
            p.setProperty("part." + k + ".name", part.name());
            Files.write(messages.resolve(next + "-" + k + ".bin"), part.data());
        }
        Path target = messages.resolve(next + ".properties");
        Path temporary = messages.resolve(next + ".tmp");
        try (Writer out = Files.newBufferedWriter(temporary, StandardCharsets.UTF_8)) {
            p.store(out, null);
        }
        Files.move(temporary, target);
        inserts++;
        // A test can make the phone vanish in the middle of a transfer, as an unplugged one does.
        String drop = device().getProperty("drop_after_inserts", "");
        if (!drop.isEmpty() && inserts >= Integer.parseInt(drop.trim())) {
            Runtime.getRuntime().halt(3);
        }
    }

    @Override
    public boolean needsDefaultSmsApp() {
        try {
            return "1".equals(device().getProperty("needs_default_sms_app", "0").trim());
        } catch (IOException e) {
            return false;
        }
    }

    @Override
    public synchronized void becomeDefaultSmsApp() throws IOException {
        log("default sms app: companion");
    }

    @Override
    public synchronized void restoreDefaultSmsApp() throws IOException {
        log("default sms app: restored");
    }

    private void log(String line) throws IOException {
        Files.writeString(folder.resolve("events.log"), line + "\n", StandardCharsets.UTF_8,
                java.nio.file.StandardOpenOption.CREATE, java.nio.file.StandardOpenOption.APPEND);
    }

    private Properties device() throws IOException {
        return load(folder.resolve("device.properties"));
    }

    private static Properties load(Path file) throws IOException {
        Properties p = new Properties();
        if (Files.exists(file)) {
            try (Reader in = Files.newBufferedReader(file, StandardCharsets.UTF_8)) {
                p.load(in);
            }
        }
        return p;
    }

    private SmsRecord read(Path file) throws IOException {
        Properties p = load(file);
        long n = number(file);
        List<Part> parts = new ArrayList<>();
        int count = Integer.parseInt(p.getProperty("parts", "0").trim());
        for (int k = 0; k < count; k++) {
            parts.add(new Part(p.getProperty("part." + k + ".mime", ""),
                    p.getProperty("part." + k + ".name", ""),
                    Files.readAllBytes(messages.resolve(n + "-" + k + ".bin"))));
        }
        return new SmsRecord(p.getProperty("address", ""), p.getProperty("contact_name", ""),
                p.getProperty("body", ""), p.getProperty("subject", ""),
                Long.parseLong(p.getProperty("date", "0").trim()),
                "1".equals(p.getProperty("from_me", "0").trim()), parts);
    }

    private long nextNumber() throws IOException {
        long max = 0;
        try (DirectoryStream<Path> list = Files.newDirectoryStream(messages, "*.properties")) {
            for (Path file : list) {
                max = Math.max(max, number(file));
            }
        }
        return max + 1;
    }

    private static long number(Path file) {
        String name = file.getFileName().toString();
        try {
            return Long.parseLong(name.substring(0, name.indexOf('.')));
        } catch (NumberFormatException e) {
            return 0;
        }
    }
}
