#!/bin/sh
# The desktop window over one large local database: $MESSAGES messages in $CHATS chats plus one
# conversation of $CONVERSATION messages. Prints how long the window takes to come up, to list the
# database's chats and all its messages once chosen, to show the largest conversation and to search
# it, and the longest the window went without handling events meanwhile.
# Usage: bench/desktop-scale.sh [BUILD_DIR]; DATA=DIR reuses (or keeps) the data folder.
set -eu
. "$(dirname "$0")/common.sh"
data=${DATA:-$work/data}
if [ ! -d "$data/local_databases/Big" ]; then
    "$gen" --messages "${CONVERSATION:-50000}" --chats 1 "$work/conversation" >/dev/null
    # The generator repeats its guids and texts: made its own, the conversation is all new.
    sqlite3 "$work/conversation/file-relay/var/mobile/Library/SMS/sms.db" \
        "update message set guid = 'conversation-' || guid, text = text || ' ~'"
    "$cli" --data-dir "$data" --quiet save "$work/phone" --to Big >/dev/null
    "$cli" --data-dir "$data" --quiet save "$work/conversation" --to Big >/dev/null
fi
echo "$messages messages in $chats chats, one conversation of ${CONVERSATION:-50000} more"
TEXTLINK_DATA_DIR=$data QT_LOGGING_RULES='*.info=false;*.debug=false' \
    xvfb-run -a -s "-screen 0 1600x1000x24" "$build/bench/bench-desktop" 2>"$work/err"
