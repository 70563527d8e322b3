#!/bin/sh
# Times listing and saving a large phone database (100,000 messages in 2,000 chats) beside the
# sqlite3 shell reading the same joined rows. Usage: bench/run-load-save.sh [BUILD_DIR]
set -eu
build=${1:-build}
cli="$build/src/cli/textlink-cli"
gen="$build/tools/make-smsdb/make-smsdb"
messages=${MESSAGES:-100000}
chats=${CHATS:-2000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$gen" --messages "$messages" --chats "$chats" "$work/phone" >/dev/null
db="$work/phone/file-relay/var/mobile/Library/SMS/sms.db"

measure() {
    label=$1
    shift
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>"$work/err" || {
        cat "$work/err" >&2
        exit 1
    }
    set -- $(cat "$work/time")
    printf '%-34s %8s s %8s MB\n' "$label" "$1" "$(($2 / 1024))"
}

joined="select m.*, h.id, c.chat_identifier from message m
  join chat_message_join j on j.message_id = m.rowid join chat c on c.rowid = j.chat_id
  left join handle h on h.rowid = m.handle_id;
  select a.* from message_attachment_join ma join attachment a on a.rowid = ma.attachment_id;"

echo "$messages messages in $chats chats"
measure "sqlite3: joined rows" sqlite3 "$db" "$joined"
measure "messages --json" "$cli" --data-dir "$work/data" --json messages "$work/phone"
measure "save (new)" "$cli" --data-dir "$work/data" --quiet --json save "$work/phone" --to X
measure "save (all duplicates)" "$cli" --data-dir "$work/data" --quiet --json save "$work/phone" --to X
local="$work/data/local_databases/X/file-relay/var/mobile/Library/SMS/sms.db"
measure "sqlite3: joined rows (local)" sqlite3 "$local" "$joined"
measure "messages --json (local)" "$cli" --data-dir "$work/data" --json messages X
