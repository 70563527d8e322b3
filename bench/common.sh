# Shared by the benchmark scripts: sourced after BUILD_DIR is known. Generates the phone database
# ($MESSAGES messages in $CHATS chats into $work/phone) and defines measure(), which prints a
# command's wall time and peak memory.
build=${1:-build}
cli="$build/src/cli/textlink-cli"
gen="$build/tools/make-smsdb/make-smsdb"
messages=${MESSAGES:-100000}
chats=${CHATS:-2000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$gen" --messages "$messages" --chats "$chats" "$work/phone" >/dev/null

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
