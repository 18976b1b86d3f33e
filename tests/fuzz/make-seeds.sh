#!/usr/bin/env bash
# Fills a fuzz target's corpus folder with seeds made from readable sources: templates
# compiled from the demo and seed sources, and the sources themselves for source readers.
set -euo pipefail
name=$1 out=$2 kqform=$3
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
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
