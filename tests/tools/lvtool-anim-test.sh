#!/usr/bin/env bash
# lvtool anim steps and lvtool ease: results worked out by hand, one per
# line; bad arguments exit 2 with the usage line. Arguments: the command
# that runs lvtool (a Windows one through scripts/wine-run.sh).
set -u
lvtool=("$@")
failed=0
check() { if ! "$@"; then echo "FAIL: $*"; failed=1; fi; }
# Windows programs end their lines with carriage returns.
run() { "${lvtool[@]}" "$@" | tr -d '\r'; return "${PIPESTATUS[0]}"; }

check [ "$(run anim steps '3[ab]c.' 9)" = "$(printf '0\n1\n0\n1\n0\n1\n2\n-1\n0')" ]
check [ "$(run anim steps '(1,2){2,0}a#3b<1>A?' 7)" = "$(printf -- '-1\n-1\n0\n-3\n1\n26\n-1')" ]
check [ "$(run anim steps 'a' 0)" = "" ]

check [ "$(run ease 1 100 5 10)" = 25 ]
check [ "$(run ease 2 100 5 10)" = 70 ]
check [ "$(run ease 0 100 5 10)" = 50 ]
check [ "$(run ease 3 100 0 10)" = 0 ]
check [ "$(run ease 1 -100 5 10)" = -25 ]
check [ "$(run ease 1 1000 32768 65536)" = 250 ]
# T and TOTAL are unsigned 32-bit: 4294967295 is past any duration.
check [ "$(run ease 0 100 4294967295 10)" = 100 ]

for args in "anim" "anim steps a" "anim steps a -1" "anim run a 3" "anim steps a 3 extra" "ease 1 2 3" \
    "ease 1 2 -3 10" "ease 1 2 3 4294967296" "ease x 2 3 4" "ease 1 2147483648 3 4"; do
    # shellcheck disable=SC2086
    "${lvtool[@]}" $args >/dev/null 2>&1
    check [ $? -eq 2 ]
done
exit $failed
