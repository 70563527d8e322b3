<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en_US">
<context>
    <name>TextLink</name>
    <message>
        <source>IDS_APP_TITLE</source>
        <translation>TextLink</translation>
    </message>
    <message>
        <source>IDS_FILE_KEY_INVALID</source>
        <translation>The key of an encrypted backup file is not a 256-bit AES key.</translation>
    </message>
    <message>
        <source>IDS_INVALID_PASSWORD</source>
        <translation>Invalid password.</translation>
    </message>
    <message>
        <source>IDS_KEYBAG_DAMAGED</source>
        <translation>The keybag of the encrypted backup (BackupKeyBag in Manifest.plist) is damaged.</translation>
    </message>
    <message>
        <source>IDS_KEYBAG_NO_SALT</source>
        <translation>The keybag of the encrypted backup (BackupKeyBag in Manifest.plist) lacks the salt or the iteration count of its password.</translation>
    </message>
    <message>
        <source>IDS_MBDB_NOT_MANIFEST</source>
        <translation>%1 is not a backup manifest.</translation>
    </message>
    <message>
        <source>IDS_MBDB_OPEN_FAILED</source>
        <translation>Cannot open %1: %2</translation>
    </message>
    <message>
        <source>IDS_MBDB_READ_FAILED</source>
        <translation>Cannot read %1: %2</translation>
    </message>
    <message>
        <source>IDS_MBDB_TRUNCATED</source>
        <translation>%1 is damaged: it ends inside a file record.</translation>
    </message>
    <message>
        <source>IDS_PLIST_INVALID</source>
        <translation>%1 is not a property list.</translation>
    </message>
    <message>
        <source>IDS_PLIST_OPEN_FAILED</source>
        <translation>Cannot read %1: %2</translation>
    </message>
</context>
</TS>
