#!/bin/sh
# Times exporting a large history (100,000 messages in 2,000 chats, saved into a local database
# first) to CSV, HTML and PDF with the command line, with peak memory. HTML is skipped while this
# build cannot export it. Usage: bench/run-export.sh [BUILD_DIR]
set -eu
build=${1:-build}
cli="$build/src/cli/textlink-cli"
gen="$build/tools/make-smsdb/make-smsdb"
messages=${MESSAGES:-100000}
chats=${CHATS:-2000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$gen" --messages "$messages" --chats "$chats" "$work/phone" >/dev/null
"$cli" --data-dir "$work/data" --quiet save "$work/phone" --to bench >/dev/null 2>&1

measure() {
    label=$1
    shift
    /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>"$work/err" || {
        if grep -q "not available yet" "$work/err"; then
            printf '%-14s not available in this build\n' "$label"
            return
        fi
        cat "$work/err" >&2
        exit 1
    }
    set -- $(cat "$work/time")
    printf '%-14s %8s s %8s MB\n' "$label" "$1" "$(($2 / 1024))"
}

echo "$messages messages in $chats chats"
for format in csv html pdf; do
    measure "export $format" "$cli" --data-dir "$work/data" --quiet export bench \
        --format "$format" --out "$work/out"
done
du -sh "$work"/out* 2>/dev/null || true
