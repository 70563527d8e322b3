package com.quorvandale.textlink;

import android.content.BroadcastReceiver;
import android.content.Context;
import android.content.Intent;
import android.util.Log;
import com.quorvandale.textlink.core.ServiceLauncher;
import java.io.IOException;
import java.net.InetAddress;

/** Starts the service whose address the desktop passes as the broadcast's data. */
public final class AdbSyncBroadcastReceiver extends BroadcastReceiver {
    @Override
    public void onReceive(Context context, Intent intent) {
        if (intent.getData() == null) {
            return;
        }
        String address = intent.getData().toString();
        PendingResult pending = goAsync();
        new Thread(() -> {
            try {
                // Over USB the desktop comes through adb's port forward, so loopback suffices.
                new ServiceLauncher(new ProviderMessageStore(context),
                        InetAddress.getLoopbackAddress()).start(address);
            } catch (IOException e) {
                Log.w("TextLink", "service " + address + " did not start", e);
            } finally {
                pending.finish();
            }
        }).start();
    }
}
