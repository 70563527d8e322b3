package com.quorvandale.textlink.core;

import java.io.IOException;
import java.net.InetAddress;
import java.nio.file.Path;

/**
 * "A phone" on this computer: the companion's services over a folder store.
 *   PhoneMain --store DIR [--port N] [--bind ADDRESS]
 * Prints "control-port N" once the control listener accepts requests (port 0 picks a free one).
 */
public final class PhoneMain {
    private PhoneMain() {
    }

    public static void main(String[] args) throws IOException {
        Path store = null;
        int port = ControlListener.DEFAULT_PORT;
        String bind = "127.0.0.1";
        for (int i = 0; i + 1 < args.length; i += 2) {
            switch (args[i]) {
                case "--store" -> store = Path.of(args[i + 1]);
                case "--port" -> port = Integer.parseInt(args[i + 1]);
                case "--bind" -> bind = args[i + 1];
                default -> usage();
            }
        }
        if (store == null) {
            usage();
        }
        InetAddress address = InetAddress.getByName(bind);
        ServiceLauncher launcher = new ServiceLauncher(new FileMessageStore(store), address);
        try (ControlListener control = new ControlListener(launcher, address, port)) {
            System.out.println("control-port " + control.port());
            System.out.flush();
            control.run();
        }
    }

    private static void usage() {
        System.err.println("usage: PhoneMain --store DIR [--port N] [--bind ADDRESS]");
        System.exit(2);
    }
}
