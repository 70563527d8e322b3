package com.quorvandale.textlink.core;

import java.io.IOException;

/** This side found the peer's data wrong; the peer is told why before the exchange ends. */
public class ProtocolException extends IOException {
    private static final long serialVersionUID = 1L;

    public ProtocolException(String message) {
        super(message);
    }
}
