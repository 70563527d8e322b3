package com.quorvandale.textlink;

import android.app.Activity;
import android.os.Bundle;
import android.widget.TextView;
import com.quorvandale.textlink.core.ControlListener;
import com.quorvandale.textlink.core.ServiceLauncher;
import java.io.IOException;
import java.net.InetAddress;

/** The Connection button's screen: listens for the desktop on the Wi-Fi control port. */
public final class ConnectionActivity extends Activity {
    private ControlListener control;

    @Override
    protected void onCreate(Bundle state) {
        super.onCreate(state);
        TextView text = new TextView(this);
        setContentView(text);
        new Thread(() -> {
            try {
                InetAddress any = InetAddress.getByName("0.0.0.0");
                control = new ControlListener(
                        new ServiceLauncher(new ProviderMessageStore(this), any), any,
                        ControlListener.DEFAULT_PORT);
                runOnUiThread(() -> text.setText("Type this phone's address into TextLink."));
                control.run();
            } catch (IOException e) {
                runOnUiThread(() -> text.setText(e.getMessage()));
            }
        }).start();
    }

    @Override
    protected void onDestroy() {
        try {
            if (control != null) {
                control.close();
            }
        } catch (IOException ignored) {
            // Closing a listener that is gone already.
        }
        super.onDestroy();
    }
}
