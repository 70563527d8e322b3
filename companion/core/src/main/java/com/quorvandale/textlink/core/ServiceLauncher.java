package com.quorvandale.textlink.core;

import java.io.BufferedInputStream;
import java.io.BufferedOutputStream;
import java.io.IOException;
import java.net.InetAddress;
import java.net.InetSocketAddress;
import java.net.ServerSocket;
import java.net.Socket;
import java.net.URI;
import java.net.URISyntaxException;
import java.util.logging.Level;
import java.util.logging.Logger;

/**
 * Starts the service a desktop asks for by address ("backup2://127.0.0.1:PORT/mms/"): it listens
 * on the address's port, serves exactly one connection and stops.
 */
public final class ServiceLauncher {
    private static final Logger LOG = Logger.getLogger(ServiceLauncher.class.getName());
    /** A desktop that asks for a service but never connects does not keep the port forever. */
    private static final int ACCEPT_TIMEOUT_MS = 60_000;

    private final MessageStore store;
    private final InetAddress bindAddress;

    public ServiceLauncher(MessageStore store, InetAddress bindAddress) {
        this.store = store;
        this.bindAddress = bindAddress;
    }

    /** The service of an address's scheme; throws for an unknown one. */
    public static Service serviceFor(String scheme) throws ProtocolException {
        return switch (scheme) {
            case "device2" -> new Device2Service();
            case "backup2" -> new Backup2Service();
            case "restore2" -> new Restore2Service();
            default -> throw new ProtocolException("unknown service " + scheme);
        };
    }

    /** Returns once the service listens, so that the desktop may connect at once. */
    public void start(String address) throws IOException {
        URI uri;
        try {
            uri = new URI(address.trim());
        } catch (URISyntaxException e) {
            throw new ProtocolException("invalid service address " + address);
        }
        if (uri.getScheme() == null || uri.getPort() <= 0) {
            throw new ProtocolException("invalid service address " + address);
        }
        Service service = serviceFor(uri.getScheme());
        ServerSocket server = new ServerSocket();
        server.setReuseAddress(true);
        server.bind(new InetSocketAddress(bindAddress, uri.getPort()), 1);
        server.setSoTimeout(ACCEPT_TIMEOUT_MS);
        Thread thread = new Thread(() -> serveOnce(server, service), "service " + address);
        thread.setDaemon(true);
        thread.start();
    }

    private void serveOnce(ServerSocket server, Service service) {
        try (server; Socket socket = server.accept()) {
            LineChannel channel = new LineChannel(new BufferedInputStream(socket.getInputStream()),
                    new BufferedOutputStream(socket.getOutputStream()));
            channel.sendFlush("$ready:", "");
            try {
                service.serve(channel, store);
            } catch (ProtocolException e) {
                channel.sendError(e.getMessage());
                throw e;
            }
        } catch (IOException e) {
            LOG.log(Level.INFO, "service ended: " + e.getMessage());
        }
    }
}
