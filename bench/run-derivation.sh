#!/bin/sh
# Times the password derivation of encrypted modern backups (PBKDF2-HMAC-SHA256, 10,000,000
# rounds) against Python's hashlib.pbkdf2_hmac on the same machine, in processor seconds; prints
# both and the ratio (target: at most 1.5). The two keys must agree.
# Usage: bench/run-derivation.sh [BUILD_DIR] [ROUNDS]
set -eu
build=${1:-build}
rounds=${2:-10000000}
set -- $("$build/bench/bench-keyderivation" "$rounds")
ours=$1
ours_key=$2
set -- $(python3 -c "
import hashlib, sys, time
t = time.process_time()
k = hashlib.pbkdf2_hmac('sha256', b'password', b's' * 20, $rounds, 32)
print('%.3f %s' % (time.process_time() - t, k.hex()))")
python=$1
[ "$ours_key" = "$2" ] || { echo "keys differ: $ours_key vs $2" >&2; exit 1; }
echo "PBKDF2-HMAC-SHA256, $rounds rounds"
printf 'TextLink          %8s s\n' "$ours"
printf 'Python hashlib    %8s s\n' "$python"
awk "BEGIN { printf \"ratio             %8.2f\n\", $ours / $python }"
