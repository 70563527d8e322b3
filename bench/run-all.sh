#!/bin/sh
# Every large-history measurement in one run, printed as "name value target", with each ratio
# taken against its yardstick from the same run (the machine's load changes from run to run).
# MESSAGES and CHATS set the size (default 1,000,000 messages in 20,000 chats).
# Usage: bench/run-all.sh [BUILD_DIR]
set -eu
MESSAGES=${MESSAGES:-1000000}
CHATS=${CHATS:-20000}
export MESSAGES CHATS
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
db="$work/phone/file-relay/var/mobile/Library/SMS/sms.db"
data="$work/data"
peak=0

# run COMMAND...: sets wall (elapsed seconds), secs (processor seconds, user + system) and mb
# (peak resident memory) for the command, and keeps the highest memory seen. Ratios and rates use
# processor seconds: on a shared machine the elapsed time mostly measures the other work.
run() {
    /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >"$work/out.txt" 2>"$work/err" || {
        cat "$work/err" >&2
        exit 1
    }
    set -- $(cat "$work/time")
    wall=$1
    secs=$(awk -v u="$2" -v s="$3" 'BEGIN { printf "%.2f", u + s }')
    mb=$(($4 / 1024))
    [ "$mb" -gt "$peak" ] && peak=$mb
    return 0
}

row() {
    printf '%-58s %12s %12s\n' "$1" "$2" "$3"
}

ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2fx", (b > 0 ? a / b : 0) }'
}

rate() {
    awk -v n="$messages" -v s="$1" 'BEGIN { printf "%d/s", (s > 0 ? n / s : 0) }'
}

joined="select m.*, h.id, c.chat_identifier from message m
  join chat_message_join j on j.message_id = m.rowid join chat c on c.rowid = j.chat_id
  left join handle h on h.rowid = m.handle_id;
  select a.* from message_attachment_join ma join attachment a on a.rowid = ma.attachment_id;"

# The yardstick of a save: the sqlite3 shell copying the same rows into an empty database of the
# local schema, in one transaction, with the schema's indexes and triggers.
common_columns() {
    sqlite3 "$work/copy.db" "attach '$db' as p; select group_concat(l.name) from
        pragma_table_info('$1','main') l join pragma_table_info('$1','p') r using (name);"
}
sqlite3 "$work/copy.db" <"$here/../res/localmsgdb_ddl.sql"
copy="attach '$db' as p; begin;"
for table in handle chat message attachment chat_handle_join chat_message_join \
    message_attachment_join; do
    columns=$(common_columns "$table")
    copy="$copy insert into main.$table ($columns) select $columns from p.$table;"
done
copy="$copy commit;"
rm -f "$work/copy.db"
sqlite3 "$work/copy.db" <"$here/../res/localmsgdb_ddl.sql"

echo "$messages messages in $chats chats: name value target (processor time unless said)"
run sqlite3 "$db" "$joined"
shell=$secs
run "$cli" --data-dir "$data" --json messages "$work/phone"
json=$secs
row "messages --json (phone folder) cpu ${json}s/${shell}s" "$(ratio "$json" "$shell")" "<=1.3x"

run sqlite3 "$work/copy.db" "$copy"
copied=$secs
run "$cli" --data-dir "$data" --quiet --json save "$work/phone" --to X
row "save, all new cpu ${secs}s/${copied}s, wall ${wall}s" "$(ratio "$secs" "$copied")" "<=3x"
run "$cli" --data-dir "$data" --quiet --json save "$work/phone" --to X
row "save again, all duplicates cpu ${secs}s/${json}s, wall ${wall}s" "$(ratio "$secs" "$json")" "<=1.2x"

local="$data/local_databases/X/file-relay/var/mobile/Library/SMS/sms.db"
run sqlite3 "$local" "$joined"
shell=$secs
run "$cli" --data-dir "$data" --json messages X
row "messages --json (local) cpu ${secs}s/${shell}s" "$(ratio "$secs" "$shell")" "<=1.3x"
row "peak memory of listing and saving" "${peak}MB" "<=500MB"
# The exports' peak is shown apart: the target above is for reading and saving.
peak=0

run "$cli" --data-dir "$data" --quiet export X --format csv --out "$work/out"
row "export CSV cpu ${secs}s, wall ${wall}s" "$(rate "$secs")" ">=150000/s"
run "$cli" --data-dir "$data" --quiet export X --format html --out "$work/out"
row "export HTML cpu ${secs}s, wall ${wall}s" "$(rate "$secs")" ">=60000/s"
run "$cli" --data-dir "$data" --quiet export X --format pdf --out "$work/out"
row "export PDF cpu ${secs}s, wall ${wall}s" "$(rate "$secs")" ">=10000/s"
row "peak memory of the exports" "${peak}MB" "-"

# One conversation of about 5,000 messages in the archive, deleted by its identifier. The
# generator's messages from the user repeat those of the large history (same text and date), so a
# third of the 7,500 are duplicates saved elsewhere; the chat of the same address in the large
# history adds its few.
"$gen" --messages 7500 --chats 1 "$work/one" >/dev/null
"$cli" --data-dir "$data" --quiet save "$work/one" --to X >/dev/null 2>&1
run "$cli" --data-dir "$data" --quiet --json delete X --chat +15550000000
deleted=$(sed -n 's/.*"deleted":\([0-9]*\).*/\1/p' "$work/out.txt")
row "delete --chat (${deleted} messages), cpu ${secs}s" "${wall}s" "<=5s"
