#!/usr/bin/env bash
# Seeds for fuzz_bitmap: small picture files of every depth the reader takes, one stored
# top-down, and the refused kinds (core header, compressed, cut short, empty).
set -euo pipefail
out=$1
export LC_ALL=C
le16() { printf '\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)); }
le32() { printf '%s%s' "$(le16 $(($1 & 65535)))" "$(le16 $(($1 >> 16 & 65535)))"; }
# name, width, height, bits, colours used, body (printf format: table then padded rows),
# body length, and optionally the information header's size and the compression.
bmp() {
    local header=${8:-40} compression=${9:-0}
    printf "BM$(le32 $((54 + $7)))$(le32 0)$(le32 $((54 + 4 * $5)))$(le32 "$header")$(le32 "$2")$(le32 "$3")"`
        `"$(le16 1)$(le16 "$4")$(le32 "$compression")$(le32 0)$(le32 2835)$(le32 2835)"`
        `"$(le32 "$5")$(le32 0)$6" >"$out/$1"
}
two='\x00\x00\x00\x00\xff\xff\xff\x00'
bmp 1bit 3 2 1 2 "$two\xa0\x00\x00\x00\x40\x00\x00\x00" 16
bmp 4bit 3 2 4 2 "$two\x01\x10\x00\x00\x10\x01\x00\x00" 16
bmp 8bit 2 2 8 2 "$two\x00\x01\x00\x00\x01\x07\x00\x00" 16
bmp 16bit 2 2 16 0 '\x00\x7c\xe0\x03\x1f\x00\xff\x7f' 8
bmp 24bit 2 2 24 0 '\x01\x02\x03\x04\x05\x06\x00\x00\x07\x08\x09\x0a\x0b\x0c\x00\x00' 16
bmp 24bit-top-down 2 -2 24 0 '\x01\x02\x03\x04\x05\x06\x00\x00\x07\x08\x09\x0a\x0b\x0c\x00\x00' 16
bmp 32bit 1 2 32 0 '\x01\x02\x03\x00\x04\x05\x06\xff' 8
bmp core-header 2 2 24 0 '' 0 12
bmp compressed 2 2 8 2 "$two\x02\x00\x00\x00" 12 40 1
bmp cut-short 4 4 24 0 '\x01\x02\x03' 48
printf 'BM' >"$out/magic-only"
: >"$out/empty"
