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

"$cli" form show "$home/FORMS/GL200.FRM"
echo
for f in "$home"/FILES/*.KQD; do
    echo "== $f"
    "$cli" data show "$f"
done
echo
echo "Demo home: $home (login: demo / demo). Try:"
echo "  LOOMCRAFT_HOME=$home LOOMCRAFT_SETTINGS=$home/settings.ini LOOMCRAFT_PASSWORD=demo \\"
echo "    $cli --login demo data set FILE.KQD 0x100=\"Nytt namn\""
