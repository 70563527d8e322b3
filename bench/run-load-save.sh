#!/bin/sh
# Times listing and saving a large phone database (100,000 messages in 2,000 chats) beside the
# sqlite3 shell reading the same joined rows. Usage: bench/run-load-save.sh [BUILD_DIR]
set -eu
. "$(dirname "$0")/common.sh"
db="$work/phone/file-relay/var/mobile/Library/SMS/sms.db"

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
