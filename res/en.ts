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
        <source>IDS_ATTA_AUDIO</source>
        <translation>[AUDIO]</translation>
    </message>
    <message>
        <source>IDS_ATTA_IMAGE</source>
        <translation>[IMAGE]</translation>
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
        <source>IDS_CHAT_UNKNOWN</source>
        <translation>Unknown</translation>
    </message>
    <message>
        <source>IDS_CONTACT_UNKNOWN</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>IDS_EMOJI_PLACEHOLDER</source>
        <translation>[EMOJI]</translation>
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
        <source>IDS_MSG_YOU</source>
        <translation>You</translation>
    </message>
</context>
</TS>
