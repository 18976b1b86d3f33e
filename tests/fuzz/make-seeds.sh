#!/usr/bin/env bash
# Fills a fuzz target's corpus folder with seeds made from readable sources: templates
# compiled from the demo and seed sources, and the sources themselves for source readers.
set -euo pipefail
name=$1 out=$2 kqform=$3
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
# LOGIN.KEY: records of 128 bytes (name, 0x00, password, 0x00, filler; zeros here).
if [ "$name" = fuzz_login_key ]; then
    export LC_ALL=C
    record() { printf '%s\0%s\0' "$1" "$2"; head -c $((126 - ${#1} - ${#2})) /dev/zero; }
    { record "" Hemligt; record anna a; record "" ""; record Bo "l""$(printf '\366')""sen"; } \
        >"$out/users"
    { record "" sys; head -c 128 /dev/zero | tr '\0' x; record late l; } >"$out/invalid-record"
    { record "" sys; printf 'n\0'; head -c 126 /dev/zero | tr '\0' p; } >"$out/second-zero-last"
    { record "" sys; printf x; } >"$out/129-bytes"
    : >"$out/empty"
    exit 0
fi
# Conversion files: a little-endian header, a text area and a program, written byte by byte.
if [ "$name" = fuzz_conversion_loader ]; then
    le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) \
        $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
    # Texts "GL 200", "A", "VT 340", "B" at offsets 0, 7, 9, 16; blank 0x7F8, product 0x7F0.
    header="cnv\\x00$(le32 18)$(le32 0)$(le32 7)$(le32 1)$(le32 2)$(le32 9)$(le32 16)"
    header+="$(le32 0x7F8)$(le32 0x7F0)GL 200\\x00A\\x00VT 340\\x00B\\x00"
    copy="\\x01$(le32 0x20)$(le32 0x10)\\x18"
    bits="\\x02$(le32 0x102)\\x00$(le32 0xC8)\\x01\\x01"
    cond="\\x03$(le32 0x200)\\xff\\x04\\x03$(le32 0x201)\\x0f\\x01\\x02$(le32 0x180)\\xff\\x03"
    far="\\x01$(le32 0x1D000)$(le32 0x80)\\x40\\x01$(le32 0xFFFF0)$(le32 0x100008)\\xff"
    printf "$header$copy$bits$cond$far\\x00" >"$out/program"
    printf "$header" >"$out/no-program"
    printf "$header\\x03$(le32 0x200)\\xff\\x04\\x01" >"$out/condition-without-set"
    printf "$header\\x01$(le32 0x20)" >"$out/cut-short"
    printf 'cnv\x00' >"$out/magic-only"
    exit 0
fi
sources=("$root"/demo/forms/*.kqf "$here"/seeds/*.kqf)
i=0
for src in "${sources[@]}"; do
    [ -f "$src" ] || continue
    i=$((i + 1))
    case "$name" in
        fuzz_kqform_source) cp "$src" "$out/seed$i.kqf" ;;
        *) "$kqform" compile "$src" -o "$out/seed$i.FRM" >/dev/null ;;
    esac
done
# A few hand-made inputs so that every target starts from something.
printf '<KQ_FORM>\0\1' >"$out/header-only"
printf 'x' >"$out/one-byte"
