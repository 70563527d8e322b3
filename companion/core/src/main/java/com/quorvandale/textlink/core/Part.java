package com.quorvandale.textlink.core;

/** One part of an MMS: its type, its file name and its bytes. */
public record Part(String mimeType, String name, byte[] data) {
}
