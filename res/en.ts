<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en_US">
<context>
    <name>TextLink</name>
    <message>
        <source>IDS_APP_TITLE</source>
        <translation>TextLink</translation>
    </message>
</context>
</TS>
