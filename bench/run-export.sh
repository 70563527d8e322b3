#!/bin/sh
# Times exporting a large history (100,000 messages in 2,000 chats, saved into a local database
# first) to CSV, HTML and PDF with the command line, with peak memory.
# Usage: bench/run-export.sh [BUILD_DIR]
set -eu
. "$(dirname "$0")/common.sh"
"$cli" --data-dir "$work/data" --quiet save "$work/phone" --to bench >/dev/null 2>&1

echo "$messages messages in $chats chats"
for format in csv html pdf; do
    measure "export $format" "$cli" --data-dir "$work/data" --quiet export bench \
        --format "$format" --out "$work/out"
done
du -sh "$work"/out* 2>/dev/null || true
