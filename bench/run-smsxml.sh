#!/bin/sh
# Times the Android XML message backup both ways with peak memory: a generated history (100,000
# messages in 2,000 chats) exported to one XML file, then that file read back in one streaming
# pass (listing and saving), and the same file inside a .zip.
# Usage: bench/run-smsxml.sh [BUILD_DIR]
set -eu
. "$(dirname "$0")/common.sh"
xml="$work/backup.xml"

echo "$messages messages in $chats chats"
measure "export --format xml" "$cli" --data-dir "$work/data" --quiet export "$work/phone" \
    --format xml --out "$xml"
ls -l "$xml" | awk '{ printf "%-34s %8.1f MB\n", "file size", $5 / 1048576 }'
measure "messages --json (xml)" "$cli" --data-dir "$work/data" --json messages "$xml"
measure "save (xml)" "$cli" --data-dir "$work/data" --quiet --json save "$xml" --to X
(cd "$work" && zip -q backup.zip backup.xml) 2>/dev/null && \
    measure "messages --json (zip)" "$cli" --data-dir "$work/data" --json messages "$work/backup.zip"
