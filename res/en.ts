<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en_US">
<context>
    <name>TextLink</name>
    <message>
        <source>IDS_ABOUT_TEXT</source>
        <translation>TextLink version %1&lt;br/&gt;&lt;br/&gt;Reads the message history of your phones, keeps it in local archives and exports it.</translation>
    </message>
    <message>
        <source>IDS_AES_INVALID_INPUT_LENGTH</source>
        <translation>%1 is damaged: its encrypted content does not end on a whole block.</translation>
    </message>
    <message>
        <source>IDS_ALL_MESSAGES</source>
        <translation>All</translation>
    </message>
    <message>
        <source>IDS_ANDROID_%1_CANT_READ_MMC_NUMBER</source>
        <translation>Failed to load country code from your phone. Please click &quot;OK&quot; button to select a country code manually.</translation>
    </message>
    <message>
        <source>IDS_ANDROID_ALLOW_DEBUGGING_%1</source>
        <translation>If you are presented with the pop up to allow debugging with the computer on your Android device screen. Please simply check &quot;Always allow from this computer&quot; and then click &quot;OK&quot; to finish.&lt;br/&gt;(%1)</translation>
    </message>
    <message>
        <source>IDS_ANDROID_APP_TOO_OLD_%1</source>
        <translation>Quorvandale TextLink on Android is too old. %1 needed. Please update it from Google Play.</translation>
    </message>
    <message>
        <source>IDS_ANDROID_CONNECT_FAILED_STEPS</source>
        <translation>Please try the following:&lt;br/&gt;&lt;br/&gt;1 Go to Google Play on your phone to download and installed the latest version Quorvandale TextLink.&lt;br/&gt;&lt;br/&gt;2 Restart your phone to try again.&lt;br/&gt;&lt;br/&gt;</translation>
    </message>
    <message>
        <source>IDS_ANDROID_INSTALL_APP_FAILED</source>
        <translation>Please go to Google Play on your Android Phone to download and install Quorvandale TextLink first and then try again. &lt;br/&gt;&lt;br/&gt;Error:</translation>
    </message>
    <message>
        <source>IDS_ANDROID_LOADING_SMS</source>
        <translation>Loading Messages...</translation>
    </message>
    <message>
        <source>IDS_ANDROID_NOT_FOUND_TIPS_%1</source>
        <translation>&lt;b&gt;Android device not found.&lt;/b&gt;&lt;br/&gt;&lt;br/&gt;Want to connect Android device? If yes, please follow these steps:&lt;br/&gt;&lt;br/&gt;* Enable USB debugging on your Android device. &lt;a href=&quot;%1&quot;&gt;How to&lt;/a&gt;?&lt;br/&gt;&lt;br/&gt;* Reconnect your Android phone via USB to try again.</translation>
    </message>
    <message>
        <source>IDS_ANDROID_RESUME_DEFAULT_SMS_APP</source>
        <translation>&lt;br/&gt;Now please click &quot;YES&quot; to resume your default Messaging app settings when the message pops out on your Android&apos;s screen.</translation>
    </message>
    <message>
        <source>IDS_ANDROID_SET_DEFAULT_SMS_APP_TIPS</source>
        <translation>Please click &quot;YES&quot; to temporarily set our Quorvandale app as your default SMS app when the message pops out on your Android&apos;s screen. Then click the &quot;OK&quot; button to start transferring messages to your Android.&lt;br/&gt;&lt;br/&gt;Note: It will resume your default Messaging app settings after transferring messages to Android.</translation>
    </message>
    <message>
        <source>IDS_ANDROID_WIFI_FORM_TIPS</source>
        <translation>Run Quorvandale TextLink on Android phone and click Connection button to get the Wifi connection info. Now input the info to the following Text Box. </translation>
    </message>
    <message>
        <source>IDS_APP_TITLE</source>
        <translation>TextLink</translation>
    </message>
    <message>
        <source>IDS_ATTA_ATTACHMENT</source>
        <translation>[ATTACHMENT]</translation>
    </message>
    <message>
        <source>IDS_ATTA_AUDIO</source>
        <translation>[AUDIO]</translation>
    </message>
    <message>
        <source>IDS_ATTA_IMAGE</source>
        <translation>[IMAGE]</translation>
    </message>
    <message>
        <source>IDS_ATTA_ORIGINAL</source>
        <translation>Original</translation>
    </message>
    <message>
        <source>IDS_ATTA_OTHER</source>
        <translation>[ATTA]</translation>
    </message>
    <message>
        <source>IDS_ATTA_VCARD</source>
        <translation>[VCARD]</translation>
    </message>
    <message>
        <source>IDS_ATTA_VIDEO</source>
        <translation>[VIDEO]</translation>
    </message>
    <message>
        <source>IDS_BACKING_UP_IOS</source>
        <translation>Backing up iPhone...</translation>
    </message>
    <message>
        <source>IDS_BACKING_UP_SMS</source>
        <translation>Backing up Messages to Local Database...</translation>
    </message>
    <message>
        <source>IDS_BACKUP_COLUMN_DATE</source>
        <translation>Backup Date</translation>
    </message>
    <message>
        <source>IDS_BACKUP_COLUMN_NAME</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>IDS_BACKUP_COLUMN_PATH</source>
        <translation>Path</translation>
    </message>
    <message>
        <source>IDS_BACKUP_DB_DAMAGED_%1_%2</source>
        <translation>The message database of the backup %1 is damaged (%2); the command line reads what is left of it with --salvage.</translation>
    </message>
    <message>
        <source>IDS_BACKUP_DB_DAMAGED_SALVAGE_%1_%2</source>
        <translation>The message database of the backup %1 is damaged (%2). Read every message that can still be read from it?</translation>
    </message>
    <message>
        <source>IDS_BACKUP_DB_SALVAGED_%1_%2</source>
        <translation>The message database of the backup %1 is damaged: %2 messages salvaged.</translation>
    </message>
    <message>
        <source>IDS_BACKUP_FILES_LEFT_OUT_%1_%2</source>
        <translation>%1 files of the backup %2 could not be extracted and were left out (see the log).</translation>
    </message>
    <message>
        <source>IDS_BACKUP_FILE_KEY_FAILED</source>
        <translation>The key of %1 in the encrypted backup cannot be unwrapped; the backup is damaged.</translation>
    </message>
    <message>
        <source>IDS_BACKUP_FILE_NOT_REGULAR</source>
        <translation>not a regular file of the backup</translation>
    </message>
    <message>
        <source>IDS_BACKUP_FILE_READ_FAILED</source>
        <translation>Cannot read %1: %2</translation>
    </message>
    <message>
        <source>IDS_BACKUP_FILE_SHORT</source>
        <translation>%1 is damaged: it is shorter than the backup manifest says.</translation>
    </message>
    <message>
        <source>IDS_BACKUP_FILE_WRITE_FAILED</source>
        <translation>Cannot write %1: %2</translation>
    </message>
    <message>
        <source>IDS_BACKUP_INCOMPLETE_%1</source>
        <translation>%1 (incomplete)</translation>
    </message>
    <message>
        <source>IDS_BACKUP_LOCKED</source>
        <translation>The backup is encrypted; its password is needed to read %1.</translation>
    </message>
    <message>
        <source>IDS_BACKUP_NEEDS_PASSWORD_%1</source>
        <translation>The iTunes Backup %1 is encrypted; its password is needed to load it.</translation>
    </message>
    <message>
        <source>IDS_CACHE_DB_CREATE_%1</source>
        <translation>create backup cache database error. %1</translation>
    </message>
    <message>
        <source>IDS_CACHE_DB_SCHEMA_READ_%1</source>
        <translation>read backup cache schema error. %1</translation>
    </message>
    <message>
        <source>IDS_CACHING_BACKUP_FILE_%1</source>
        <translation>Caching %1...</translation>
    </message>
    <message>
        <source>IDS_CANCEL</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>IDS_CANNOT_COPY_%1_%2</source>
        <translation>Cannot copy %1: %2.</translation>
    </message>
    <message>
        <source>IDS_CANNOT_CREATE_FOLDER</source>
        <translation>Cannot create the folder %1.</translation>
    </message>
    <message>
        <source>IDS_CANNOT_FIND_FILE</source>
        <translation>Cannot find %1</translation>
    </message>
    <message>
        <source>IDS_CANT_CONTINUE_WITHOUT_SEL_ONE_COUNTRY</source>
        <translation>Please select a country code to continue.</translation>
    </message>
    <message>
        <source>IDS_CAN_NOT_FIND_ATTACHMENT_%1</source>
        <translation>Cannot find %1.</translation>
    </message>
    <message>
        <source>IDS_CAN_NOT_FOUNDCONTACT_KEYWORD_%0</source>
        <translation>No contact matches %1.</translation>
    </message>
    <message>
        <source>IDS_CAN_NOT_FOUNDSMS_KEYWORD_%0</source>
        <translation>No message matches %1.</translation>
    </message>
    <message>
        <source>IDS_CAN_NOT_FOUND_AND_MESSAGES</source>
        <translation>No messages to search.</translation>
    </message>
    <message>
        <source>IDS_CHAT_UNKNOWN</source>
        <translation>Unknown</translation>
    </message>
    <message>
        <source>IDS_CHECKING_APK_INSTALL</source>
        <translation>Checking and installing Quorvandale TextLink now...</translation>
    </message>
    <message>
        <source>IDS_CLEAR_CACHE_FAILED_%1</source>
        <translation>Failed to delete the cache files:&lt;br/&gt;%1</translation>
    </message>
    <message>
        <source>IDS_CLI_ANDROID_NOT_FOUND_%1</source>
        <translation>No Android phone with serial %1 is attached.</translation>
    </message>
    <message>
        <source>IDS_CLI_BACKUP_NEEDS_PASSWORD_%1</source>
        <translation>%1 is an encrypted iPhone backup: import it with &quot;import-backup %1 --password PW&quot; (or --password-file FILE) and read the local database it makes.</translation>
    </message>
    <message>
        <source>IDS_CLI_BACKUP_SOURCE_NOT_SUPPORTED_%1</source>
        <translation>%1 is an iPhone backup folder; reading backups from the command line is not supported yet.</translation>
    </message>
    <message>
        <source>IDS_CLI_DB_DAMAGED_%1_%2</source>
        <translation>The message database %1 is damaged (%2); --salvage reads what is left of it.</translation>
    </message>
    <message>
        <source>IDS_CLI_DB_SALVAGED_%1_%2</source>
        <translation>The message database %1 is damaged: %2 messages salvaged.</translation>
    </message>
    <message>
        <source>IDS_CLI_DELETE_LOCAL_ONLY_%1</source>
        <translation>%1 is not a local database; messages can only be deleted from local databases.</translation>
    </message>
    <message>
        <source>IDS_CLI_INVALID_DB_NAME_%1</source>
        <translation>Invalid Local Database name: it may not be empty, "." or "..", nor longer than %1 bytes.</translation>
    </message>
    <message>
        <source>IDS_CLI_IOS5_NOT_SUPPORTED_%1</source>
        <translation>The message database of %1 has the iOS 5 layout, which is not supported yet.</translation>
    </message>
    <message>
        <source>IDS_CLI_NOT_A_BACKUP_%1</source>
        <translation>%1 is not an iPhone backup folder (it needs Manifest.plist and Manifest.mbdb, or Manifest.db and Info.plist).</translation>
    </message>
    <message>
        <source>IDS_CLI_NO_BACKUP_PASSWORD</source>
        <translation>This iPhone backup is encrypted: give its password with --password PW or --password-file FILE.</translation>
    </message>
    <message>
        <source>IDS_CLI_PASSWORD_FILE_%1_%2</source>
        <translation>Cannot read the password file %1. %2</translation>
    </message>
    <message>
        <source>IDS_CLI_UNKNOWN_CHAT_%1</source>
        <translation>No conversation has the chat identifier &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>IDS_CLI_UNKNOWN_MESSAGE_%1</source>
        <translation>No message has the row id %1.</translation>
    </message>
    <message>
        <source>IDS_CLI_UNKNOWN_SOURCE_%1</source>
        <translation>Unknown source &quot;%1&quot;: neither a local database nor a folder holding file-relay/var/mobile/Library/SMS/sms.db.</translation>
    </message>
    <message>
        <source>IDS_COL_CONTACT</source>
        <translation>Contact</translation>
    </message>
    <message>
        <source>IDS_COL_CONTENT</source>
        <translation>Content</translation>
    </message>
    <message>
        <source>IDS_COL_DATE</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>IDS_COL_FLAG</source>
        <translation>Flag</translation>
    </message>
    <message>
        <source>IDS_COL_TYPE</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>IDS_CONFIRM</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>IDS_CONFIRM_DEL_CHAT_MMS</source>
        <translation>Delete all messages with this contact?</translation>
    </message>
    <message>
        <source>IDS_CONFIRM_DEL_SEL_MMS</source>
        <translation>Delete the selected messages?</translation>
    </message>
    <message>
        <source>IDS_CONFIRM_DEL_THIS_LOCALDB</source>
        <translation>Delete this database and all its messages?</translation>
    </message>
    <message>
        <source>IDS_CONFIRM_SEL_COUNTRY_%1</source>
        <translation>Confirm to select %1?</translation>
    </message>
    <message>
        <source>IDS_CONNECTING_ANDROID_DEVICE</source>
        <translation>Connecting to Android...</translation>
    </message>
    <message>
        <source>IDS_CONSOLE_ANSWER_NO</source>
        <translation>(answered no)</translation>
    </message>
    <message>
        <source>IDS_CONSOLE_ANSWER_YES</source>
        <translation>(answered yes)</translation>
    </message>
    <message>
        <source>IDS_CONTACT_UNKNOWN</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>IDS_CONVERSATION</source>
        <translation>Conversation</translation>
    </message>
    <message>
        <source>IDS_COUNTRY_%1_CODE_%2</source>
        <translation>%1 (+%2)</translation>
    </message>
    <message>
        <source>IDS_COUNTRY_LIB_CANT_CREATE_%1_%2</source>
        <translation>can not create %1. %2</translation>
    </message>
    <message>
        <source>IDS_COUNTRY_LIB_NOT_FOUND</source>
        <translation>can not find :res/countries.db.</translation>
    </message>
    <message>
        <source>IDS_DATA_DIR_CANNOT_BE_MADE</source>
        <translation>it cannot be made there</translation>
    </message>
    <message>
        <source>IDS_DATA_DIR_UNUSABLE_%1_%2</source>
        <translation>The data folder %1 cannot be used: %2.</translation>
    </message>
    <message>
        <source>IDS_DB_DAMAGED_%1_%2</source>
        <translation>The database %1 cannot be read: %2.</translation>
    </message>
    <message>
        <source>IDS_DELETING_MMS</source>
        <translation>Deleting Messages...</translation>
    </message>
    <message>
        <source>IDS_DEL_LOCALDB_FAILED_%1</source>
        <translation>Failed to delete the Database folder of %1.</translation>
    </message>
    <message>
        <source>IDS_DEL_LOCALDB_SUC</source>
        <translation>Successfully Deleted Database %1.</translation>
    </message>
    <message>
        <source>IDS_DERIVING_BACKUP_KEY</source>
        <translation>Checking the backup password...</translation>
    </message>
    <message>
        <source>IDS_DROP_COPY_FAILED_%1</source>
        <translation>Could not copy %1 to open it.</translation>
    </message>
    <message>
        <source>IDS_DROP_UNKNOWN_%1</source>
        <translation>%1 is neither an iPhone backup, a phone folder nor a message database.</translation>
    </message>
    <message>
        <source>IDS_EMOJI_PLACEHOLDER</source>
        <translation>[EMOJI]</translation>
    </message>
    <message>
        <source>IDS_ENTER_PASSWORD</source>
        <translation>Enter password</translation>
    </message>
    <message>
        <source>IDS_ERROR_OCCURRED</source>
        <translation>An Error Occurred.</translation>
    </message>
    <message>
        <source>IDS_ERROR_SUPPORT</source>
        <translation>If you need help, please write to us at &lt;a href=&quot;mailto:support@textlink.example&quot;&gt;support@textlink.example&lt;/a&gt;.</translation>
    </message>
    <message>
        <source>IDS_EXPORTING_MESSAGES_TO_FILE</source>
        <translation>Exporting Messages...</translation>
    </message>
    <message>
        <source>IDS_EXPORT_FILTER_CSV</source>
        <translation>CSV Files(*.csv)</translation>
    </message>
    <message>
        <source>IDS_EXPORT_FILTER_DOC</source>
        <translation>Doc Files(*.doc)</translation>
    </message>
    <message>
        <source>IDS_EXPORT_FILTER_HTML</source>
        <translation>HTML Files(*.html)</translation>
    </message>
    <message>
        <source>IDS_EXPORT_FILTER_PDF</source>
        <translation>PDF Files(*.pdf)</translation>
    </message>
    <message>
        <source>IDS_EXPORT_FILTER_TXT</source>
        <translation>Text Files(*.txt)</translation>
    </message>
    <message>
        <source>IDS_EXPORT_FILTER_XML</source>
        <translation>Android Message Backup(*.xml)</translation>
    </message>
    <message>
        <source>IDS_EXPORT_FORMAT_NOT_AVAILABLE_%1</source>
        <translation>Export to %1 is not available yet.</translation>
    </message>
    <message>
        <source>IDS_EXPORT_WRITE_FAILED_%1_%2</source>
        <translation>Cannot write %1: %2</translation>
    </message>
    <message>
        <source>IDS_EXTRACTING_MEDIA_FILES</source>
        <translation>Extracting attachments, please wait...</translation>
    </message>
    <message>
        <source>IDS_EXTRACT_%1_FAILED_%2_COPIED_TO_%3</source>
        <translation>%1 attachment files could not be copied (see the log); %2 were copied to %3.</translation>
    </message>
    <message>
        <source>IDS_FILE_KEY_INVALID</source>
        <translation>The key of an encrypted backup file is not a 256-bit AES key.</translation>
    </message>
    <message>
        <source>IDS_FIRST_RUN_HINT</source>
        <translation>Import an iPhone backup with File › Import (Ctrl+O), connect a phone by USB, or drop a backup folder, a phone folder or a message database onto this window.</translation>
    </message>
    <message>
        <source>IDS_GET_ANDROID_DEVICE_INFO</source>
        <translation>Getting Android info...</translation>
    </message>
    <message>
        <source>IDS_INVALID_IOS_DB</source>
        <translation>invalid IOS db.</translation>
    </message>
    <message>
        <source>IDS_INVALID_LOCALDB_NAME</source>
        <translation>Invalid Local Database name(can&apos;t contain \ / : * ? &quot; &lt; &gt; |).</translation>
    </message>
    <message>
        <source>IDS_INVALID_PASSWORD</source>
        <translation>Invalid password.</translation>
    </message>
    <message>
        <source>IDS_IOS6DB_CREATE_ERROR</source>
        <translation>create IOS6MessageDb error. %1</translation>
    </message>
    <message>
        <source>IDS_IOS6DB_DDL_READ_ERROR</source>
        <translation>read IOS6MessageDb ddl error. %1</translation>
    </message>
    <message>
        <source>IDS_IOS6DB_INVALID_CHAT</source>
        <translation>IOS6MessageDb::insertChat, invalid chat, service_name:%1</translation>
    </message>
    <message>
        <source>IDS_IOS6DB_MISSING_TABLES</source>
        <translation>The message database %1 cannot be read: it lacks the tables %2.</translation>
    </message>
    <message>
        <source>IDS_IOS6DB_UPGRADE_ERROR</source>
        <translation>line:%1, sql:%2, error:%3</translation>
    </message>
    <message>
        <source>IDS_IOS_ARCHIVE_DAMAGED_%1_%2</source>
        <translation>The file relay archive %1 is damaged: %2</translation>
    </message>
    <message>
        <source>IDS_IOS_BACKUP_FAILED_%1</source>
        <translation>The backup of the iPhone failed: %1</translation>
    </message>
    <message>
        <source>IDS_IOS_BACKUP_TOOL_NOT_STARTED_%1</source>
        <translation>Cannot start the backup tool %1. Install the package libimobiledevice-utils.</translation>
    </message>
    <message>
        <source>IDS_IOS_CONTACTS_CREATE_%1</source>
        <translation>create IOSContactsMemDb error. %1</translation>
    </message>
    <message>
        <source>IDS_IOS_CONTACTS_REPLACE_%1_%2</source>
        <translation>can not replace %1. %2</translation>
    </message>
    <message>
        <source>IDS_IOS_INVALID_MESSAGE</source>
        <translation>The iPhone sent a message that is not a property list.</translation>
    </message>
    <message>
        <source>IDS_IOS_MESSAGE_TOO_LONG_%1_%2</source>
        <translation>The iPhone announced a message of %1 bytes; at most %2 bytes are accepted.</translation>
    </message>
    <message>
        <source>IDS_IOS_NOT_CONNECTED_%1</source>
        <translation>No iPhone with UDID %1 is connected.</translation>
    </message>
    <message>
        <source>IDS_IOS_PASSCODE_NOTE</source>
        <translation>&lt;p&gt;&lt;b&gt;Notes:&lt;/b&gt; If your iPhone is protected with a passcode, please enter your passcode on iPhone first.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>IDS_IOS_SESSION_FAILED_%1</source>
        <translation>Please restart your iPhone and computer to try again. If a prompt message pops out on your iPhone, please click &quot;Trust&quot;.&lt;br/&gt;&lt;br/&gt;Error code: %1</translation>
    </message>
    <message>
        <source>IDS_IOS_START_SERVICE_FAILED_%1_%2</source>
        <translation>The iPhone did not start its service %1. Unplug it, plug it in again and try again.&lt;br/&gt;&lt;br/&gt;Error code: %2</translation>
    </message>
    <message>
        <source>IDS_IOS_STOPPED_SENDING_%1</source>
        <translation>The iPhone stopped sending its databases after %1 KB. Keep it unlocked and connected, then try again.</translation>
    </message>
    <message>
        <source>IDS_IOS_TRUST_REFUSED</source>
        <translation>The iPhone does not trust this computer. Unplug it, plug it in again and tap &quot;Trust&quot;.</translation>
    </message>
    <message>
        <source>IDS_IOS_TRUST_TIMEOUT</source>
        <translation>The iPhone stayed locked or did not answer whether to trust this computer. Unlock it, tap &quot;Trust&quot; and try again.</translation>
    </message>
    <message>
        <source>IDS_IOS_UNLOCK_AND_TRUST</source>
        <translation>Unlock your iPhone and tap &quot;Trust&quot; when it asks whether to trust this computer.</translation>
    </message>
    <message>
        <source>IDS_ITEM_ADDED</source>
        <translation>%1 Added %2 to the conversation.
%3</translation>
    </message>
    <message>
        <source>IDS_ITEM_LEFT</source>
        <translation>%1 left the conversation.
%2</translation>
    </message>
    <message>
        <source>IDS_ITEM_LOCATION</source>
        <translation>%1 %2 sharing location with %3.
%4</translation>
    </message>
    <message>
        <source>IDS_ITEM_LOCATION_STARTED</source>
        <translation>started</translation>
    </message>
    <message>
        <source>IDS_ITEM_LOCATION_STOPPED</source>
        <translation>stopped</translation>
    </message>
    <message>
        <source>IDS_ITEM_NAMED</source>
        <translation>%1 named the conversation &quot;%2&quot;.
%3</translation>
    </message>
    <message>
        <source>IDS_ITEM_SYSTEM</source>
        <translation>System Information.
%1</translation>
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
        <source>IDS_KEYBAG_TOO_MANY_ROUNDS_%1</source>
        <translation>The keybag of the encrypted backup asks for %1 rounds of password derivation, far more than any phone uses; the keybag is damaged.</translation>
    </message>
    <message>
        <source>IDS_LOAD</source>
        <translation>Load</translation>
    </message>
    <message>
        <source>IDS_LOADING_IOS_DATABASES</source>
        <translation>Loading messages from iPhone...</translation>
    </message>
    <message>
        <source>IDS_LOADING_ITUNES_BACKUP</source>
        <translation>Loading iTunes backup...</translation>
    </message>
    <message>
        <source>IDS_LOADING_MESSAGES</source>
        <translation>Loading messages...</translation>
    </message>
    <message>
        <source>IDS_LOAD_BK_ADD_OTHER</source>
        <translation>Can't find your iTunes Backup on the list? Please manually import it by clicking &lt;a href=&quot;#&quot;&gt;HERE&lt;/a&gt;.</translation>
    </message>
    <message>
        <source>IDS_LOAD_BK_ERROR_%1_%2</source>
        <translation>load %1 error. %2</translation>
    </message>
    <message>
        <source>IDS_LOAD_BK_EXISTS</source>
        <translation>This backup is already in the list.</translation>
    </message>
    <message>
        <source>IDS_LOCALDB_SEL_HINT</source>
        <translation>Choose a database to add the messages to, or type a new name to create one.</translation>
    </message>
    <message>
        <source>IDS_LOCALDB_SEL_PROMPT</source>
        <translation>Select current database to merge or enter a new database name:</translation>
    </message>
    <message>
        <source>IDS_LOCALDB_SEL_TITLE</source>
        <translation>Select one Database for backup</translation>
    </message>
    <message>
        <source>IDS_MANIFEST_DB_DAMAGED_%1</source>
        <translation>%1 could not be decrypted into a database; the backup is damaged.</translation>
    </message>
    <message>
        <source>IDS_MANIFEST_DB_NO_FILES_%1</source>
        <translation>%1 holds no file list (no Files table).</translation>
    </message>
    <message>
        <source>IDS_MANIFEST_PLIST_NO_DICT</source>
        <translation>%1 holds no backup information.</translation>
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
        <source>IDS_MENU_ABOUT</source>
        <translation>About</translation>
    </message>
    <message>
        <source>IDS_MENU_FILE</source>
        <translation>File</translation>
    </message>
    <message>
        <source>IDS_MENU_HELP</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>IDS_MENU_SEARCH</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>IDS_MENU_TOOLS</source>
        <translation>Tools</translation>
    </message>
    <message>
        <source>IDS_MISSING_ATTACHMENTS_%1</source>
        <translation>%1 attachments are not in the backup; their messages were kept.</translation>
    </message>
    <message>
        <source>IDS_MI_BACKUP</source>
        <translation>Backup Messages to Local Database</translation>
    </message>
    <message>
        <source>IDS_MI_BACKUP_CHAT</source>
        <translation>Backup Messages with this contact to Local Database</translation>
    </message>
    <message>
        <source>IDS_MI_BACKUP_SEL</source>
        <translation>Backup selected Messages to Local Database</translation>
    </message>
    <message>
        <source>IDS_MI_CHECK_UPDATE</source>
        <translation>Check for Update</translation>
    </message>
    <message>
        <source>IDS_MI_CLEAR_CACHE</source>
        <translation>Clear Cache Files</translation>
    </message>
    <message>
        <source>IDS_MI_CONNECT_WIFI</source>
        <translation>Connect Android Phone via Wi-Fi</translation>
    </message>
    <message>
        <source>IDS_MI_DB2A</source>
        <translation>Transfer Messages from Database to Android</translation>
    </message>
    <message>
        <source>IDS_MI_DB2A_CHAT</source>
        <translation>Transfer Messages with this contact to Android</translation>
    </message>
    <message>
        <source>IDS_MI_DB2A_SEL</source>
        <translation>Transfer selected Messages to Android</translation>
    </message>
    <message>
        <source>IDS_MI_DELETE</source>
        <translation>Delete Messages</translation>
    </message>
    <message>
        <source>IDS_MI_DELETE_CHAT</source>
        <translation>Delete Messages with this contact</translation>
    </message>
    <message>
        <source>IDS_MI_DELETE_DB</source>
        <translation>Delete this Database</translation>
    </message>
    <message>
        <source>IDS_MI_DELETE_SEL</source>
        <translation>Delete selected Messages</translation>
    </message>
    <message>
        <source>IDS_MI_DISCONNECT</source>
        <translation>Disconnect Device</translation>
    </message>
    <message>
        <source>IDS_MI_EXIT</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>IDS_MI_EXPORT</source>
        <translation>Export Messages to File</translation>
    </message>
    <message>
        <source>IDS_MI_EXPORT_CHAT</source>
        <translation>Export Messages with this contact to File</translation>
    </message>
    <message>
        <source>IDS_MI_EXPORT_SEL</source>
        <translation>Export selected Messages to File</translation>
    </message>
    <message>
        <source>IDS_MI_EXTRACT</source>
        <translation>Extract Attachments</translation>
    </message>
    <message>
        <source>IDS_MI_EXTRACT_CHAT</source>
        <translation>Extract Attachments of this Contact</translation>
    </message>
    <message>
        <source>IDS_MI_EXTRACT_SEL</source>
        <translation>Extract Attachments of Selected Messages</translation>
    </message>
    <message>
        <source>IDS_MI_FEEDBACK</source>
        <translation>Feedback and Support</translation>
    </message>
    <message>
        <source>IDS_MI_FIND</source>
        <translation>Find Messages</translation>
    </message>
    <message>
        <source>IDS_MI_FIND_NEXT</source>
        <translation>Find Next</translation>
    </message>
    <message>
        <source>IDS_MI_FIND_PREVIOUS</source>
        <translation>Find Previous</translation>
    </message>
    <message>
        <source>IDS_MI_HELP</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>IDS_MI_I2A</source>
        <translation>Transfer iPhone Messages to Android</translation>
    </message>
    <message>
        <source>IDS_MI_I2A_CHAT</source>
        <translation>Transfer Messages with this contact to Android</translation>
    </message>
    <message>
        <source>IDS_MI_I2A_SEL</source>
        <translation>Transfer selected Messages to Android</translation>
    </message>
    <message>
        <source>IDS_MI_IMPORT_ITUNES</source>
        <translation>Import Messages from iTunes Backup to Local Database</translation>
    </message>
    <message>
        <source>IDS_MI_IMPORT_TO_LOCALDB</source>
        <translation>Import Messages from iTunes Backup to this Local Database</translation>
    </message>
    <message>
        <source>IDS_MI_OPEN_DB_FOLDER</source>
        <translation>Open Database Folder</translation>
    </message>
    <message>
        <source>IDS_MI_PRINT</source>
        <translation>Print Messages</translation>
    </message>
    <message>
        <source>IDS_MI_PRINT_CHAT</source>
        <translation>Print Messages with this contact</translation>
    </message>
    <message>
        <source>IDS_MI_PRINT_SEL</source>
        <translation>Print selected Messages</translation>
    </message>
    <message>
        <source>IDS_MI_VIEW_CACHE</source>
        <translation>View Cache Files</translation>
    </message>
    <message>
        <source>IDS_MSG_EDITED_%1</source>
        <translation>%1 (Edited)</translation>
    </message>
    <message>
        <source>IDS_MSG_FROM</source>
        <translation>From</translation>
    </message>
    <message>
        <source>IDS_MSG_REACTIONS_%1</source>
        <translation>[%1]</translation>
    </message>
    <message>
        <source>IDS_MSG_REPLY_TO_%1</source>
        <translation>Reply to “%1”</translation>
    </message>
    <message>
        <source>IDS_MSG_SENDER_ME</source>
        <translation>Me</translation>
    </message>
    <message>
        <source>IDS_MSG_TO</source>
        <translation>To</translation>
    </message>
    <message>
        <source>IDS_MSG_UNSENT</source>
        <translation>This message was unsent.</translation>
    </message>
    <message>
        <source>IDS_MSG_YOU</source>
        <translation>You</translation>
    </message>
    <message>
        <source>IDS_NEXT_PAGE</source>
        <translation>&gt;&gt;Next Page</translation>
    </message>
    <message>
        <source>IDS_NOT_AVAILABLE_YET</source>
        <translation>This command is not available yet.</translation>
    </message>
    <message>
        <source>IDS_NOT_A_MESSAGE_DB_%1</source>
        <translation>%1 holds no phone's messages: its database is empty or of another kind.</translation>
    </message>
    <message>
        <source>IDS_NOT_CONTAIN_SMS_DB_IN_ITUNES_BACKUP</source>
        <translation>Found no message database file in this iTunes backup.</translation>
    </message>
    <message>
        <source>IDS_NO_APP_FOR_%1_FILES</source>
        <translation>No application is set to open %1 files. Do you want to save a copy instead?</translation>
    </message>
    <message>
        <source>IDS_NO_BROWSER_FOR_%1</source>
        <translation>No application is set to open web pages. The page is: %1</translation>
    </message>
    <message>
        <source>IDS_NO_DISPLAY</source>
        <translation>TextLink found no display (neither DISPLAY nor WAYLAND_DISPLAY is set). To run it without one, start it under a virtual display:
    xvfb-run -a %1
For work without a window, use textlink-cli.</translation>
    </message>
    <message>
        <source>IDS_OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>IDS_OPERATION_CANCELLED</source>
        <translation>The operation was cancelled.</translation>
    </message>
    <message>
        <source>IDS_PHONE_DB_DAMAGED_SALVAGE_%1_%2</source>
        <translation>The message database %1 is damaged (%2). Read every message that can still be read from it?</translation>
    </message>
    <message>
        <source>IDS_PHONE_DB_SALVAGED_%1_%2</source>
        <translation>The message database %1 is damaged: %2 messages salvaged.</translation>
    </message>
    <message>
        <source>IDS_PLEASE_ENTER_PASSWORD_TO_LOAD_BACKUP</source>
        <translation>This iTunes Backup is encrypted. Please enter password:</translation>
    </message>
    <message>
        <source>IDS_PLEASE_SELECT_DATABASE_OR_INPUT_NEW_NAME</source>
        <translation>Select one Database or enter a new Database name</translation>
    </message>
    <message>
        <source>IDS_PLEASE_SELECT_ONE_DATASOURCE</source>
        <translation>Please select a device to continue.</translation>
    </message>
    <message>
        <source>IDS_PLEASE_SELECT_ONE_ITUNES_BACKUP</source>
        <translation>Please select a backup to continue.</translation>
    </message>
    <message>
        <source>IDS_PLIST_INVALID</source>
        <translation>%1 is not a property list.</translation>
    </message>
    <message>
        <source>IDS_PLIST_OPEN_FAILED</source>
        <translation>Cannot read %1: %2</translation>
    </message>
    <message>
        <source>IDS_PREVIOUS_PAGE</source>
        <translation>&lt;&lt;Previous Page</translation>
    </message>
    <message>
        <source>IDS_PRINT_MMS</source>
        <translation>Print Messages</translation>
    </message>
    <message>
        <source>IDS_PROGRESS_PERCENT</source>
        <translation>Progress:%1%</translation>
    </message>
    <message>
        <source>IDS_PWD_IS_NULL</source>
        <translation>Password is required.</translation>
    </message>
    <message>
        <source>IDS_REACTION_DISLIKED_%1</source>
        <translation>%1 disliked a message</translation>
    </message>
    <message>
        <source>IDS_REACTION_EMOJI_%1_%2</source>
        <translation>%1 reacted %2 to a message</translation>
    </message>
    <message>
        <source>IDS_REACTION_EMPHASIZED_%1</source>
        <translation>%1 emphasized a message</translation>
    </message>
    <message>
        <source>IDS_REACTION_LAUGHED_%1</source>
        <translation>%1 laughed at a message</translation>
    </message>
    <message>
        <source>IDS_REACTION_LIKED_%1</source>
        <translation>%1 liked a message</translation>
    </message>
    <message>
        <source>IDS_REACTION_LOVED_%1</source>
        <translation>%1 loved a message</translation>
    </message>
    <message>
        <source>IDS_REACTION_QUESTIONED_%1</source>
        <translation>%1 questioned a message</translation>
    </message>
    <message>
        <source>IDS_REACTION_REMOVED_%1</source>
        <translation>%1 removed a reaction from a message</translation>
    </message>
    <message>
        <source>IDS_REACTION_STICKER_%1</source>
        <translation>%1 reacted with a sticker to a message</translation>
    </message>
    <message>
        <source>IDS_RESTORING_SMS_TO_ANDROID</source>
        <translation>Sending Messages to Device...</translation>
    </message>
    <message>
        <source>IDS_ROOT_DEVICE</source>
        <translation>Devices</translation>
    </message>
    <message>
        <source>IDS_ROOT_LOCALDB</source>
        <translation>Local Databases</translation>
    </message>
    <message>
        <source>IDS_SAVE_ATTACHMENT</source>
        <translation>Save Attachment</translation>
    </message>
    <message>
        <source>IDS_SAVE_ATTACHMENT_FILE_ERROR</source>
        <translation>Failed to save attachment.</translation>
    </message>
    <message>
        <source>IDS_SAVE_ATTACHMENT_SUC</source>
        <translation>Attachment saved successfully.</translation>
    </message>
    <message>
        <source>IDS_SEARCH</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>IDS_SEARCH_%1_OF_%2</source>
        <translation>%1 of %2</translation>
    </message>
    <message>
        <source>IDS_SEARCH_CONTACT_HINT</source>
        <translation>Search contacts</translation>
    </message>
    <message>
        <source>IDS_SEARCH_MESSAGE_HINT</source>
        <translation>Search messages</translation>
    </message>
    <message>
        <source>IDS_SEARCH_NO_CURRENT_%1</source>
        <translation>%1 found</translation>
    </message>
    <message>
        <source>IDS_SELECT_AN_ITUNES_BACKUP_TO_LOAD</source>
        <translation>Please select an iTunes Backup to load.</translation>
    </message>
    <message>
        <source>IDS_SEL_EXPORT_MESSAGES_PATH</source>
        <translation>Choose where to save the messages.</translation>
    </message>
    <message>
        <source>IDS_SEL_ONE_ANDROID_DEVICE</source>
        <translation>Please select an Android device:</translation>
    </message>
    <message>
        <source>IDS_SEL_YOUR_PHONE_COUNTRY</source>
        <translation>Select your country code:</translation>
    </message>
    <message>
        <source>IDS_SKIP_%1_SMS_GROUP_OR_SYS_MESSAGES</source>
        <translation>%1 group messages or system messages can&apos;t be transferred.</translation>
    </message>
    <message>
        <source>IDS_SMSXML_NOT_A_BACKUP</source>
        <translation>it is not an Android message backup (no &lt;smses&gt; element).</translation>
    </message>
    <message>
        <source>IDS_SMSXML_NO_XML_IN_ARCHIVE</source>
        <translation>the archive holds no .xml file.</translation>
    </message>
    <message>
        <source>IDS_SMSXML_READ_FAILED_%1_%2</source>
        <translation>Cannot read the message backup %1: %2</translation>
    </message>
    <message>
        <source>IDS_SMS_%1_%2</source>
        <translation>Messages: %1/%2</translation>
    </message>
    <message>
        <source>IDS_SMS_COUNT_%1</source>
        <translation>Messages: %1</translation>
    </message>
    <message>
        <source>IDS_SQLITE_ERROR</source>
        <translation>Database error in %1: %2</translation>
    </message>
    <message>
        <source>IDS_SQLITE_FILE_MISSING</source>
        <translation>The database file %1 does not exist.</translation>
    </message>
    <message>
        <source>IDS_SQLITE_NOT_OPEN</source>
        <translation>The database is not open.</translation>
    </message>
    <message>
        <source>IDS_SQLITE_ONE_STATEMENT</source>
        <translation>Only one SQL statement can be run at a time.</translation>
    </message>
    <message>
        <source>IDS_SQLITE_PARAM_COUNT</source>
        <translation>The statement takes %1 values but %2 were given.</translation>
    </message>
    <message>
        <source>IDS_SUC_BACKUP_%1_SAVED_%2_KNOWN_%3_NOT_SAVED</source>
        <translation>Saved %1 messages into the local database; %2 were there already; %3 could not be saved (see the log).</translation>
    </message>
    <message>
        <source>IDS_SUC_BACKUP_%1_SMS</source>
        <translation>Successfully Backup %1 Messages to local Database.</translation>
    </message>
    <message>
        <source>IDS_SUC_CLEAR_CACHE</source>
        <translation>Cache files cleared.</translation>
    </message>
    <message>
        <source>IDS_SUC_DELETE_%1_MESSAGES</source>
        <translation>Successfully Deleted %1 Messages.</translation>
    </message>
    <message>
        <source>IDS_SUC_EXPORT_%1_MMS</source>
        <translation>Successfully exported %1 Messages.</translation>
    </message>
    <message>
        <source>IDS_SUC_EXTRACT_%1_MEDIA_FILES_TO_%2</source>
        <translation>Successfully extracted %1 attachment file(s) to %2.</translation>
    </message>
    <message>
        <source>IDS_SUC_RESTORE_%1_SMS_TO_ANDROID</source>
        <translation>Successfully Transferred %1 Messages.</translation>
    </message>
    <message>
        <source>IDS_SUC_UPDATE_LOCALDB</source>
        <translation>Successfully updated local database. Please restart software.</translation>
    </message>
    <message>
        <source>IDS_TB_BACKUP</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>IDS_TB_DB2A</source>
        <translation>Database to Android</translation>
    </message>
    <message>
        <source>IDS_TB_DELETE</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>IDS_TB_EXPORT</source>
        <translation>Export</translation>
    </message>
    <message>
        <source>IDS_TB_EXTRACT</source>
        <translation>Extract</translation>
    </message>
    <message>
        <source>IDS_TB_I2A</source>
        <translation>iPhone to Android</translation>
    </message>
    <message>
        <source>IDS_TB_IMPORT</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>IDS_TB_PRINT</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>IDS_TITLE_EXTRACT_MEDIA_FILES</source>
        <translation>Extracting attachments...</translation>
    </message>
    <message>
        <source>IDS_TITLE_SELECT_ONE_DEVICE_TO_TRANSFER</source>
        <translation>Please select a Device.</translation>
    </message>
    <message>
        <source>IDS_TITLE_SEL_OUTPUT_FOLDER_EXTRACT_MEDIA_FILES</source>
        <translation>Choose a folder for the attachments.</translation>
    </message>
    <message>
        <source>IDS_TXT_COL_DATE</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>IDS_TXT_COL_FLAG</source>
        <translation>Flag</translation>
    </message>
    <message>
        <source>IDS_TXT_COL_MESSAGE</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>IDS_TXT_COL_NAME</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>IDS_TXT_FLAG_FROM</source>
        <translation>From</translation>
    </message>
    <message>
        <source>IDS_TXT_FLAG_TO</source>
        <translation>To</translation>
    </message>
    <message>
        <source>IDS_UPDATE_LOCALDB_RENAME_FAILED_%1</source>
        <translation>The local database was updated, but %1 could not be renamed.</translation>
    </message>
    <message>
        <source>IDS_UPDATING_LOCALDB_%1_MESSAGES</source>
        <translation>Updating local database %1 messages...</translation>
    </message>
    <message>
        <source>IDS_VCARD_ADDRESS</source>
        <translation>Address:</translation>
    </message>
    <message>
        <source>IDS_VCARD_BIRTHDAY</source>
        <translation>Birthday:</translation>
    </message>
    <message>
        <source>IDS_VCARD_EMAIL</source>
        <translation>E-Mail:</translation>
    </message>
    <message>
        <source>IDS_VCARD_PHONE</source>
        <translation>Phone:</translation>
    </message>
    <message>
        <source>IDS_WIFI_SOCK_WRONG_FOR_EXAMPLE</source>
        <translation>Input Error. Please input the correct WiFi connection info.</translation>
    </message>
    <message>
        <source>IDS_WORKER_NO_REPORT</source>
        <translation>The operation ended without reporting whether it succeeded.</translation>
    </message>
    <message>
        <source>invalid libsqlite_qt.</source>
        <translation>invalid libsqlite_qt.</translation>
    </message>
</context>
</TS>
