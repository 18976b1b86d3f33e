#!/usr/bin/env bash
# Seeds for fuzz_decode_record: a step count, the event code, each step as tag, parameter
# length and parameter; the 16 record bytes; a count of PROM writes, each a 3-byte address,
# a length and the bytes; then a log file's text.
set -euo pipefail
out=$1
export LC_ALL=C
hex() { printf '\\x%02x' "$@"; }
step() { # tag, parameter
    printf '%s%s%s' "$(hex "$1")" "$(hex ${#2})" "$2"
}
record="$(hex 0x10 0x1E 0x2D 0x0E 0x0F 0x06 0x09 0x23 0x05 0x02 0xFA 0xFF 0xFF 0xFF 0xFF 0x7F)"
# A section name at 0x13180 and area 2's name (the top address bit places them exactly).
names="$(hex 2 0x81 0x31 0x80 5)K\\x84ket$(hex 0x81 0xD0 0x10 6)Lager "
log='10000000010109230502FFFFFFFFFFFF\r\n2C1E2D0E0F06090093050000000000FF\r\nab\r\n\r\n'
seed() { # name, steps (printf format)
    printf "$(hex "$2")$(hex 0x10)$3$record$names$log" >"$out/$1"
}
seed every-tag 16 "$(step 0x16 Inbrottslarm)$(step 0x17 1)$(step 0x18 9)$(step 0x19 8:2)$(step 0x1A 7)$(step 0x1B 7)$(step 0x1C 7)$(step 0x1E 7)$(step 0x20 FFFFFF:C00000)$(step 0x21 '9, 118768, 16, 16')$(step 0x22 8)$(step 0x23 '')$(step 0x24 '9, 2, Ja')$(step 0x25 7)$(step 0x26 7)$(step 0x27 7)"
seed units 4 "$(step 0x28 7)$(step 0x29 7)$(step 0x25 15)$(step 0x22 12)"
seed far-offsets 5 "$(step 0x17 11)$(step 0x19 15:200)$(step 0x21 '99, 4294967295, 4294967295, 99')$(step 0x1C 14)$(step 0x24 '300, 255, x')"
seed malformed 4 "$(step 0x21 '9, x')$(step 0x24 x)$(step 0x20 FFFFFF-000000)$(step 0x18 ' 7')"
printf '\x00\x05' >"$out/no-steps"
