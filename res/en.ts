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
</context>
</TS>
