#!/bin/sh
# Times listing 100,000 messages kept as later phones keep them (nanosecond dates, every third
# text only in the archived body) beside the same messages in the older layout.
# Usage: bench/run-modern-load.sh [BUILD_DIR]
set -eu
. "$(dirname "$0")/common.sh"
"$gen" --modern --messages "$messages" --chats "$chats" "$work/modern" >/dev/null

echo "$messages messages in $chats chats"
measure "messages --json (older layout)" "$cli" --data-dir "$work/data" --json messages "$work/phone"
measure "messages --json (later layout)" "$cli" --data-dir "$work/data" --json messages "$work/modern"
