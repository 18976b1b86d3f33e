#!/usr/bin/env bash
# Fills a fuzz target's corpus folder with seeds made from readable sources: templates
# compiled from the demo and seed sources, and the sources themselves for source readers.
set -euo pipefail
name=$1 out=$2 kqform=$3
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
# A target may bring its own seed script: seeds/<target>.sh OUT KQFORM.
if [ -f "$here/seeds/$name.sh" ]; then
    exec bash "$here/seeds/$name.sh" "$out" "$kqform"
fi
# LOGIN.KEY: records of 128 bytes (name, 0x00, password, 0x00, filler; zeros here).
if [ "$name" = fuzz_login_key ]; then
    export LC_ALL=C
    record() { printf '%s\0%s\0' "$1" "$2"; head -c $((126 - ${#1} - ${#2})) /dev/zero; }
    { record "" Hemligt; record anna a; record "" ""; record Bo "l""$(printf '\366')""sen"; } \
        >"$out/users"
    { record "" sys; head -c 128 /dev/zero | tr '\0' x; record late l; } >"$out/invalid-record"
    { record "" sys; printf 'n\0'; head -c 126 /dev/zero | tr '\0' p; } >"$out/second-zero-last"
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
# Data files: the plain layout built byte by byte, summed and enciphered with the key
# stream of the generator seeded with 0x4B514441.
if [ "$name" = fuzz_datafile_read ]; then
    export LC_ALL=C
    text() {
        local s=$1 i c
        for ((i = 0; i < ${#s}; i++)); do
            printf -v c '%d' "'${s:i:1}"
            plain+=("$c")
        done
        plain+=(0)
    }
    u32() { plain+=($(($1 >> 24 & 255)) $(($1 >> 16 & 255)) $(($1 >> 8 & 255)) $(($1 & 255))); }
    key=()
    state=$((0x4B514441))
    for ((j = 0; j < 128; j++)); do
        state=$(((state * 214013 + 2531011) & 0xFFFFFFFF))
        key+=($((state >> 16 & 255)))
    done
    # password, template name, then per record: flags, address, type, value
    datafile() {
        plain=()
        text '<KQ_DATA>'
        plain+=(1)
        text "$1"
        while ((${#plain[@]} < 139)); do plain+=($((${#plain[@]} * 37 & 255))); done
        text "$2"
        shift 2
        while (($# >= 4)); do
            u32 "$1"; u32 "$2"; u32 "$3"; text "$4"
            shift 4
        done
        u32 1
        local sum=0 b i out='' hex
        for b in "${plain[@]}"; do sum=$(((sum + b) & 0xFFFFFFFF)); done
        u32 "$sum"
        for ((i = 0; i < ${#plain[@]}; i++)); do
            printf -v hex '\\x%02x' $((plain[i] ^ key[i % 128]))
            out+=$hex
        done
        printf "$out"
    }
    datafile pw 'ALFA 2000' 2 128 1 A1 0 $((0x80013880)) 5 Entre 128 $((0x1003)) 0 17 \
        2 $((0x80000150)) 5 '' >"$out/records"
    datafile '' T >"$out/no-records"
    many=()
    for ((n = 0; n < 300; n++)); do many+=($((n % 3 * 2)) $((n << 5)) $((n % 10)) "v$n"); done
    datafile sys 'BETA 10' "${many[@]}" >"$out/many-records"
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
