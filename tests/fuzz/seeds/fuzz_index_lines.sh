#!/usr/bin/env bash
# Seeds for fuzz_index_lines: one byte with the search text's length, the search text, then
# the index content (DATA.KQI and FORM.KQI lines with CR LF).
set -euo pipefail
out=$1
seed() { # name, search text, content (printf format)
    printf "\\x$(printf '%02x' ${#2})%s$3" "$2" >"$out/$1"
}
export LC_ALL=C
seed data-lines 'malm' 'A0000010\tStorgatan 1\tMalm\366\r\nA0000020\t\305sa\tLund\r\n'
seed quoted '"def ghi" abc' 'K1\tabc def ghi\r\nK2\tdef\r\n'
seed missing-quote 'x "y' 'K1\tx\r\nK2\ty\r\n'
seed empty-keyword '""' 'NOTAB\r\nK\tv\r\n'
seed form-lines 'ALFA' 'ALFA.FRM\tALFA 2000\tAlfa\r\nBETA.FRM\tBETA 100\tBeta\r\n'
seed unsafe-keys 'x' '..\tx\r\n../A\tx\r\nA\\\\B\tx\r\nC:D\tx\r\n'
seed lf-only 'b' 'K1\tab\nK2\tb\nK3\tno end'
seed store-same-key 'K1\tnew' 'K1\told\r\nK2\tx\r\nK1\tdup\r\n'
