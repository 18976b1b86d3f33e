#!/usr/bin/env bash
# Builds, lays out a demo program directory with a password file and a few systems, and
# shows what it holds. Demo login: user "demo", password "demo" (system password "demo").
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
dir=${LOOM_BUILD_DIR:-build}
home="$dir/demo-home"
cli="$dir/src/cli/loomcraft-cli"
# The demo keeps its settings beside its files, not in the user's own.
export LOOMCRAFT_SETTINGS="$home/settings.ini"
export LOOMCRAFT_HOME="$home"

if [ ! -f "$home/LOGIN.KEY" ]; then
    "$dir/demo/make_demo_login" "$home" demo demo demo
fi
if ! ls "$home"/FILES/*.KQD >/dev/null 2>&1; then
    "$cli" settings set ComputerID D
    export LOOMCRAFT_PASSWORD=demo
    gl="$home/FORMS/GL200.FRM"
    vt="$home/FORMS/VT340.FRM"
    "$cli" --login demo data new --form "$gl" --set 0x100="Åkerlunds Bageri AB" \
        --set 0x200="Storgatan 12" --set 0x300="123 45 Storby" --set 0x4C0=1201 >/dev/null
    "$cli" --login demo data new --form "$gl" --set 0x100="Östra Skolan" \
        --set 0x200="Skolvägen 3" --set 0x300="234 56 Lillby" --set 0x4C0=1202 >/dev/null
    "$cli" --login demo data new --form "$vt" --set 0x80="Ängens Förskola" \
        --set 0x200=3401 >/dev/null
    unset LOOMCRAFT_PASSWORD
fi
# Both indexes from what the folders hold (FORM.KQI is only ever written by a rebuild).
"$cli" index rebuild >/dev/null
# An event log for the first GL 200 system, as a panel would send it: newest record first.
first=$("$cli" index search "bageri" | cut -f1 | head -n1)
if [ -n "$first" ]; then
    log=$("$cli" log path "$home/FILES/$first.KQD")
    if [ ! -f "$log" ]; then
        received=$(mktemp)
        cat >"$received" <<'HEX'
21 00 05 07 04 0C 1A 01 FE FF FF FF FF FF FF FF
51 12 04 07 04 0C 1A 01 FE FF FF FF FF FF FF FF
10 1B 02 03 04 0C 1A 00 01 01 FF FF FF FF FF FF
20 00 2D 07 03 0C 1A 01 FE FF FF FF FF FF FF FF
31 3A 3B 14 02 0C 1A 00 00 FF FF FF FF FF FF FF
30 09 11 14 02 0C 1A 00 04 FF FF FF FF FF FF FF
HEX
        "$cli" log merge "$log" "$received" >/dev/null
        rm -f "$received"
    fi
fi

"$cli" form show "$home/FORMS/GL200.FRM"
echo
for f in "$home"/FILES/*.KQD; do
    echo "== $f"
    "$cli" data show "$f"
done
echo
echo "== index search \"skola\""
"$cli" index search skola
if [ -n "${first:-}" ]; then
    echo
    echo "== log show (system $first)"
    "$cli" log show "$log" --form "$home/FORMS/GL200.FRM" --data "$home/FILES/$first.KQD"
fi
echo
echo "Demo home: $home (login: demo / demo). Try:"
echo "  LOOMCRAFT_HOME=$home LOOMCRAFT_SETTINGS=$home/settings.ini LOOMCRAFT_PASSWORD=demo \\"
echo "    $cli --login demo data set FILE.KQD 0x100=\"Nytt namn\""
