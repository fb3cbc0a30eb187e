#!/usr/bin/env bash
# lvtool lzss: every method round-trips a file; bad arguments exit 2, an
# unreadable file exits 1 with one line; a lying method-3 header is refused.
set -u
lvtool="$1"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
check() { if ! "$@"; then echo "FAIL: $*"; failed=1; fi; }

# No 0xFE bytes: method 2 leaves the (zero) destination byte for them.
head -c 3000 /dev/urandom | tr -d '\376' >"$scratch/in"
seq 1 2000 >>"$scratch/in"
size=$(stat -c %s "$scratch/in")
for m in 0 1 2 3; do
    check "$lvtool" lzss encode --method "$m" "$scratch/in" "$scratch/enc$m"
    if [ "$m" = 3 ]; then
        check "$lvtool" lzss decode --method 3 "$scratch/enc3" "$scratch/dec3"
    else
        check "$lvtool" lzss decode --method "$m" --size "$(printf '0x%x' "$size")" "$scratch/enc$m" "$scratch/dec$m"
    fi
    check cmp -s "$scratch/in" "$scratch/dec$m"
done

"$lvtool" lzss decode --method 4 "$scratch/enc0" "$scratch/x" 2>/dev/null
check [ $? -eq 2 ]
"$lvtool" lzss decode --method 0 "$scratch/missing" "$scratch/x" 2>"$scratch/err"
check [ $? -eq 1 ]
check [ "$(wc -l <"$scratch/err")" -eq 1 ]
printf '\xff\xff\xff\xff\x00' >"$scratch/lying"
"$lvtool" lzss decode --method 3 "$scratch/lying" "$scratch/x" 2>/dev/null
check [ $? -eq 1 ]
exit $failed
