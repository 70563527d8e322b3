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
        <source>IDS_APP_TITLE</source>
        <translation>TextLink</translation>
    </message>
    <message>
        <source>IDS_CANCEL</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>IDS_COL_CONTACT</source>
        <translation>Contact</translation>
    </message>
    <message>
        <source>IDS_COL_DATE</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>IDS_COL_TYPE</source>
        <translation>Type</translation>
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
        <source>IDS_COUNTRY_LIB_CANT_CREATE_%1_%2</source>
        <translation>can not create %1. %2</translation>
    </message>
    <message>
        <source>IDS_COUNTRY_LIB_NOT_FOUND</source>
        <translation>can not find :res/countries.db.</translation>
    </message>
    <message>
        <source>IDS_ERROR_CONTACT_SUPPORT</source>
        <translation>If this keeps happening, please write to support@quorvandale.com for help.</translation>
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
        <source>IDS_MENU_ABOUT</source>
        <translation>About</translation>
    </message>
    <message>
        <source>IDS_MENU_HELP</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>IDS_NO_DISPLAY</source>
        <translation>TextLink found no display (neither DISPLAY nor WAYLAND_DISPLAY is set). To run it without one, start it under a virtual display:
    xvfb-run -a %1
For work without a window, use textlink-cli.</translation>
    </message>
    <message>
        <source>IDS_OPERATION_CANCELLED</source>
        <translation>The operation was cancelled.</translation>
    </message>
    <message>
        <source>IDS_PROGRESS_PERCENT</source>
        <translation>Progress:%1%</translation>
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
        <source>IDS_WORKER_NO_REPORT</source>
        <translation>The operation ended without reporting whether it succeeded.</translation>
    </message>
</context>
</TS>
