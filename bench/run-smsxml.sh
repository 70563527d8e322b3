#!/bin/sh
# Times the Android XML message backup both ways with peak memory: a generated history (100,000
# messages in 2,000 chats) exported to one XML file, then that file read back in one streaming
# pass (listing and saving), the same file inside a .zip, and a file of large pictures.
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

# Attachment data is never held whole: 100 MMS of 2 MB pictures each (a 280 MB file).
big="$work/pictures.xml"
blob=$(head -c 2097152 /dev/urandom | base64 -w0)
{
    echo '<?xml version="1.0" encoding="UTF-8"?>'
    echo '<smses count="100">'
    i=0
    while [ $i -lt 100 ]; do
        printf '<mms date="%d" msg_box="1" m_type="132" address="+1555000%d"><parts>' \
            $((1600000000000 + i * 1000)) $((i % 7))
        printf '<part seq="0" ct="image/jpeg" cl="p%d.jpg" text="null" data="%s"/></parts></mms>\n' \
            $i "$blob"
        i=$((i + 1))
    done
    echo '</smses>'
} >"$big"
ls -l "$big" | awk '{ printf "%-34s %8.1f MB\n", "file size (pictures)", $5 / 1048576 }'
measure "chats --json (pictures)" "$cli" --data-dir "$work/data" --json chats "$big"
