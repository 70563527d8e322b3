package com.quorvandale.textlink.core;

import java.io.BufferedInputStream;
import java.io.BufferedOutputStream;
import java.io.IOException;
import java.net.InetAddress;
import java.net.InetSocketAddress;
import java.net.ServerSocket;
import java.net.Socket;
import java.util.logging.Level;
import java.util.logging.Logger;

/**
 * The Wi-Fi control port: each connection carries one service address and gets one reply,
 * "1" when the service listens, or "0" and the Base64 of the reason.
 */
public final class ControlListener implements AutoCloseable {
    public static final int DEFAULT_PORT = 44441;
    private static final Logger LOG = Logger.getLogger(ControlListener.class.getName());
    private static final int READ_TIMEOUT_MS = 10_000;
    /** An address is a short line; nothing longer is read. */
    private static final int MAX_REQUEST = 4096;

    private final ServerSocket server;
    private final ServiceLauncher launcher;

    public ControlListener(ServiceLauncher launcher, InetAddress bindAddress, int port)
            throws IOException {
        this.launcher = launcher;
        server = new ServerSocket();
        server.setReuseAddress(true);
        server.bind(new InetSocketAddress(bindAddress, port));
    }

    public int port() {
        return server.getLocalPort();
    }

    /** Serves requests one after the other until closed. */
    public void run() {
        while (!server.isClosed()) {
            try (Socket socket = server.accept()) {
                socket.setSoTimeout(READ_TIMEOUT_MS);
                answer(new LineChannel(new BufferedInputStream(socket.getInputStream()),
                        new BufferedOutputStream(socket.getOutputStream()), MAX_REQUEST));
            } catch (IOException e) {
                if (!server.isClosed()) {
                    LOG.log(Level.INFO, "control request failed: " + e.getMessage());
                }
            }
        }
    }

    private void answer(LineChannel channel) throws IOException {
        String address = channel.readCommand();
        try {
            launcher.start(address);
            channel.sendFlush("1", "");
        } catch (IOException e) {
            channel.sendFlush("0", LineChannel.encode(e.getMessage()));
        }
    }

    @Override
    public void close() throws IOException {
        server.close();
    }
}
