#!/usr/bin/env bash
# lvtool text and reg: the scramble round-trips and keeps the plain lines;
# reg dump prints each record of a file in turn; bad arguments exit 2, an
# unreadable or damaged file exits 1 with one line.
set -u
lvtool="$1"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
check() { if ! "$@"; then echo "FAIL: $*"; failed=1; fi; }

printf 'title line\r\nsecond line\nscrambled \x93\xfa\x96\x7b text\nmore\n' >"$scratch/plain.txt"
head -c 5000 /dev/urandom >>"$scratch/plain.txt"
check "$lvtool" text scramble --seed 0x1234 --plain-lines 2 "$scratch/plain.txt" "$scratch/s.txt"
check cmp -s <(head -n 2 "$scratch/plain.txt") <(head -n 2 "$scratch/s.txt")
check [ "$(cmp -s "$scratch/plain.txt" "$scratch/s.txt"; echo $?)" = 1 ]
check "$lvtool" text unscramble --seed 4660 --plain-lines 2 "$scratch/s.txt" "$scratch/u.txt"
check cmp -s "$scratch/plain.txt" "$scratch/u.txt"
# Another seed does not undo it.
check "$lvtool" text unscramble --seed 4661 --plain-lines 2 "$scratch/s.txt" "$scratch/w.txt"
check [ "$(cmp -s "$scratch/plain.txt" "$scratch/w.txt"; echo $?)" = 1 ]
# Fewer lines than the plain ones: left as it is.
printf 'one\n' >"$scratch/short.txt"
check "$lvtool" text scramble --seed 7 --plain-lines 3 "$scratch/short.txt" "$scratch/short.out"
check cmp -s "$scratch/short.txt" "$scratch/short.out"

for args in "text" "text scramble $scratch/plain.txt $scratch/x" "text scramble --seed x $scratch/plain.txt $scratch/x" \
            "text rot --seed 1 $scratch/plain.txt $scratch/x" "reg" "reg dump" "reg list $scratch/plain.txt"; do
    # shellcheck disable=SC2086
    "$lvtool" $args 2>/dev/null
    check [ $? -eq 2 ]
done
"$lvtool" text scramble --seed 1 "$scratch/missing" "$scratch/x" 2>"$scratch/err"
check [ $? -eq 1 ]
check [ "$(wc -l <"$scratch/err")" -eq 1 ]

# FCReg 3: 1, -1, 256, then FCStrReg 2: "" and "abc".
le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))\\x$(printf %02x $((($1 >> 16) & 255)))\\x$(printf %02x $((($1 >> 24) & 255)))"; }
str() { le32 0x7fffffff; le32 0; le32 $((${#1} + 1)); printf '%s\0' "$1"; }
{ str FCReg; le32 3; le32 1; le32 -1; le32 256; str FCStrReg; le32 2; str ""; str abc; } >"$scratch/regs.dat"
check [ "$("$lvtool" reg dump "$scratch/regs.dat")" = "$(printf 'FCReg 3\n1\n-1\n256\nFCStrReg 2\n\nabc')" ]
{ cat "$scratch/regs.dat"; str FCBogus; } >"$scratch/damaged.dat"
"$lvtool" reg dump "$scratch/damaged.dat" >"$scratch/out" 2>"$scratch/err"
check [ $? -eq 1 ]
check [ "$(head -n 1 "$scratch/out")" = "FCReg 3" ]
check [ "$(wc -l <"$scratch/err")" -eq 1 ]
"$lvtool" reg dump "$scratch/missing" 2>"$scratch/err"
check [ $? -eq 1 ]
check [ "$(wc -l <"$scratch/err")" -eq 1 ]
exit $failed
