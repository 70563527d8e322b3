package com.quorvandale.textlink.core;

import java.io.IOException;

/** One exchange on an accepted connection, after "$ready:". */
public interface Service {
    void serve(LineChannel channel, MessageStore store) throws IOException;
}
