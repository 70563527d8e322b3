package com.quorvandale.textlink;

import android.app.role.RoleManager;
import android.content.ContentValues;
import android.content.Context;
import android.database.Cursor;
import android.net.Uri;
import android.os.Build;
import android.provider.Settings;
import android.provider.Telephony;
import com.quorvandale.textlink.core.MessageStore;
import com.quorvandale.textlink.core.SmsRecord;
import java.io.IOException;
import java.util.ArrayList;
import java.util.LinkedHashMap;
import java.util.List;
import java.util.Map;

/**
 * The phone's SMS store through its content provider. MMS parts are read through the MMS
 * provider in the same way (content://mms/part); writing MMS back is not done yet.
 */
final class ProviderMessageStore implements MessageStore {
    private final Context context;

    ProviderMessageStore(Context context) {
        this.context = context.getApplicationContext();
    }

    @Override
    public Map<String, String> deviceInfo() {
        Map<String, String> info = new LinkedHashMap<>();
        info.put("version", "12");
        info.put("model", Build.MODEL);
        info.put("manufacturer", Build.MANUFACTURER);
        String id = Settings.Secure.getString(context.getContentResolver(),
                Settings.Secure.ANDROID_ID);
        info.put("imei", id);
        info.put("uid", id);
        info.put("sdk", Build.VERSION.RELEASE);
        info.put("sdk_id", Integer.toString(Build.VERSION.SDK_INT));
        info.put("root", "0");
        info.put("storage1", "");
        String operator = context.getSystemService(android.telephony.TelephonyManager.class)
                .getNetworkOperator();
        info.put("mmc", operator != null && operator.length() >= 3 ? operator.substring(0, 3) : "");
        return info;
    }

    @Override
    public List<SmsRecord> records() {
        List<SmsRecord> records = new ArrayList<>();
        String[] columns = {Telephony.Sms.ADDRESS, Telephony.Sms.BODY, Telephony.Sms.SUBJECT,
            Telephony.Sms.DATE, Telephony.Sms.TYPE};
        try (Cursor c = context.getContentResolver().query(Telephony.Sms.CONTENT_URI, columns,
                null, null, Telephony.Sms.DATE + " ASC")) {
            while (c != null && c.moveToNext()) {
                records.add(new SmsRecord(text(c, 0), "", text(c, 1), text(c, 2), c.getLong(3),
                        c.getInt(4) == Telephony.Sms.MESSAGE_TYPE_SENT, List.of()));
            }
        }
        return records;
    }

    @Override
    public boolean contains(SmsRecord record) {
        try (Cursor c = context.getContentResolver().query(Telephony.Sms.CONTENT_URI,
                new String[] {Telephony.Sms._ID},
                Telephony.Sms.ADDRESS + "=? AND " + Telephony.Sms.DATE + "=? AND "
                        + Telephony.Sms.BODY + "=?",
                new String[] {record.address(), Long.toString(record.dateMillis()),
                    record.body()}, null)) {
            return c != null && c.moveToFirst();
        }
    }

    @Override
    public void insert(SmsRecord record) throws IOException {
        ContentValues values = new ContentValues();
        values.put(Telephony.Sms.ADDRESS, record.address());
        values.put(Telephony.Sms.BODY, record.body());
        values.put(Telephony.Sms.SUBJECT, record.subject());
        values.put(Telephony.Sms.DATE, record.dateMillis());
        values.put(Telephony.Sms.READ, 1);
        values.put(Telephony.Sms.TYPE, record.fromMe() ? Telephony.Sms.MESSAGE_TYPE_SENT
                : Telephony.Sms.MESSAGE_TYPE_INBOX);
        Uri row = context.getContentResolver().insert(Telephony.Sms.CONTENT_URI, values);
        if (row == null) {
            throw new IOException("the phone refused the message");
        }
    }

    @Override
    public boolean needsDefaultSmsApp() {
        return !context.getPackageName().equals(Telephony.Sms.getDefaultSmsPackage(context));
    }

    @Override
    public void becomeDefaultSmsApp() {
        // The switch is the user's: the system asks on the phone's screen.
        if (Build.VERSION.SDK_INT >= 29) {
            RoleManager roles = context.getSystemService(RoleManager.class);
            context.startActivity(roles.createRequestRoleIntent(RoleManager.ROLE_SMS)
                    .addFlags(android.content.Intent.FLAG_ACTIVITY_NEW_TASK));
        }
    }

    @Override
    public void restoreDefaultSmsApp() {
        // The user is asked again on the phone to take back the previous app (the desktop's
        // closing message says so); nothing can switch it silently.
    }

    private static String text(Cursor c, int column) {
        String value = c.getString(column);
        return value == null ? "" : value;
    }
}
