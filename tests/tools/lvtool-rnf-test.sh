#!/usr/bin/env bash
# lvtool rnf: dump prints the pairs in the host's order (unscrambled); set
# and remove rewrite the file as the host saves it; bad arguments exit 2, an
# unreadable file or a failed change exits 1 with one line.
set -u
lvtool="$1"
scratch=$(mktemp -d)
trap 'chmod -R u+w "$scratch"; rm -rf "$scratch"' EXIT
failed=0
check() { if ! "$@"; then echo "FAIL: $*"; failed=1; fi; }

printf '; comment\r\nzeta = last value\tignored\r\nalpha=1\r\nalpha=2\r\n<--\r\nnote=\r\none\r\ntwo\r\n-->\r\n' >"$scratch/a.rnf"
check [ "$("$lvtool" rnf dump "$scratch/a.rnf")" = "$(printf 'alpha=1\nnote=one\ntwo\nzeta=last value')" ]

check "$lvtool" rnf set "$scratch/a.rnf" beta "x y"
check "$lvtool" rnf set "$scratch/a.rnf" alpha 3
check [ "$(cat "$scratch/a.rnf")" = "$(printf 'alpha=3\nbeta=x y\n<--\nnote=\none\ntwo\n-->\nzeta=last value')" ]
check "$lvtool" rnf remove "$scratch/a.rnf" zeta
check [ "$("$lvtool" rnf dump "$scratch/a.rnf")" = "$(printf 'alpha=3\nbeta=x y\nnote=one\ntwo')" ]
check [ ! -e "$scratch/a.rnf.new" ]

# set makes a missing file.
check "$lvtool" rnf set "$scratch/new.rnf" SAR 4:3
check [ "$(cat "$scratch/new.rnf")" = "SAR=4:3" ]

# A scrambled file: dump unscrambles it; it is never rewritten as plain text.
printf 'rnftype=1,0x99\nsx=5\nsy=6\n' >"$scratch/plain.rnf"
check "$lvtool" text scramble --seed 0x99 --plain-lines 1 "$scratch/plain.rnf" "$scratch/s.rnf"
check [ "$("$lvtool" rnf dump "$scratch/s.rnf")" = "$(printf 'rnftype=1,0x99\nsx=5\nsy=6')" ]
cp "$scratch/s.rnf" "$scratch/s.before"
"$lvtool" rnf set "$scratch/s.rnf" sx 7 2>"$scratch/err"
check [ $? -eq 1 ]
check [ "$(wc -l <"$scratch/err")" -eq 1 ]
check cmp -s "$scratch/s.rnf" "$scratch/s.before"

# Failures: one line naming the file.
for args in "dump $scratch/missing.rnf" "remove $scratch/missing.rnf k" "remove $scratch/new.rnf nokey" \
            "set $scratch/nofolder/x.rnf k v"; do
    # shellcheck disable=SC2086
    "$lvtool" rnf $args >/dev/null 2>"$scratch/err"
    check [ $? -eq 1 ]
    check [ "$(wc -l <"$scratch/err")" -eq 1 ]
    check grep -q "$scratch" "$scratch/err"
done
check [ "$(cat "$scratch/new.rnf")" = "SAR=4:3" ]

# Bad usage.
for args in "" "dump" "list $scratch/a.rnf" "dump $scratch/a.rnf extra" "set $scratch/a.rnf k" \
            "remove $scratch/a.rnf" "set $scratch/a.rnf a=b v"; do
    # shellcheck disable=SC2086
    "$lvtool" rnf $args >/dev/null 2>&1
    check [ $? -eq 2 ]
done
"$lvtool" rnf set "$scratch/a.rnf" "two words" v 2>/dev/null
check [ $? -eq 2 ]
"$lvtool" rnf set "$scratch/a.rnf" k " leading" 2>/dev/null
check [ $? -eq 2 ]
exit $failed
