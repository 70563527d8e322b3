package com.quorvandale.textlink.core;

import java.io.IOException;

/** The peer ended the exchange with an error line. */
public class RemoteErrorException extends IOException {
    private static final long serialVersionUID = 1L;

    public RemoteErrorException(String message) {
        super(message);
    }
}
