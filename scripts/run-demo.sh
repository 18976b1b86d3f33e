#!/usr/bin/env bash
# Builds the program, lays out a demo program directory with a password file and a few
# systems, starts a simulated panel and opens the program window on the demo home. Without
# a display it saves a picture of the window instead and shows the demo home through the
# command-line tool. Demo login: user "demo", password "demo" (system password "demo").
# The panel listens on 127.0.0.1:47000 (LOOM_DEMO_PANEL_PORT) and stops at the end unless
# LOOM_DEMO_KEEP_PANEL=1.
set -euo pipefail
cd "$(dirname "$0")/.."
# Only what the demo runs: the tests and benchmarks are the test command's.
LOOM_BUILD_TARGETS="loomcraft loomcraft-cli loomcraft-panelsim demo_home make_demo_login" \
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
first=$("$cli" index search "bageri" 2>/dev/null | cut -f1 | head -n1)
# A demo home whose systems were edited since still has a first system to show.
[ -n "$first" ] || first=$("$cli" index search 2>/dev/null | cut -f1 | head -n1)
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

cli_tour() {
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
        echo "== log show $first (the system's log, names from the system)"
        "$cli" log show "$first"
    fi
}

# A simulated panel for the PROM commands: its PROM holds the first system (with the file
# identifier a write places) with three values changed, its event log the demo log and
# two newer records. It keeps its PROM in $home/PANEL/, so what "prom write" leaves there
# is what the next run reads.
panel_port=${LOOM_DEMO_PANEL_PORT:-47000}
panel_dir="$home/PANEL"
sim="$dir/tools/panelsim/loomcraft-panelsim"
sim_pid=""
if [ -n "${first:-}" ]; then
    mkdir -p "$panel_dir"
    if [ ! -f "$panel_dir/prom.img" ]; then
        # Someone changed three values at the panel since the system was archived (the
        # language, the siren time, area 1's entry delay): the first "Läs" shows them.
        changed=$(mktemp -d)
        cp "$home/FILES/$first.KQD" "$changed/"
        LOOMCRAFT_PASSWORD=demo "$cli" --login demo data set "$changed/$first.KQD" \
            0x4E0=1 0x500=600 0x800=45 >/dev/null
        "$cli" data image "$changed/$first.KQD" --form "$home/FORMS/GL200.FRM" \
            --fileid "$first" >"$panel_dir/prom.img"
        rm -rf "$changed"
        # The copy's save told the index of its values: the archived file's come back.
        "$cli" index rebuild >/dev/null
    fi
    if [ ! -f "$panel_dir/panel.log" ]; then
        { tr -d '\r' <"$log"
          echo "20001E11040C1A01FEFFFFFFFFFFFFFF"
          echo "300C0502050C1A0004FFFFFFFFFFFFFF"; } >"$panel_dir/panel.log"
    fi
    sim_cmd=("$sim" --tcp "$panel_port" --id-code 123456 --image "$panel_dir/prom.img"
             --file-id "$first" --log "$panel_dir/panel.log")
    "${sim_cmd[@]}" >"$panel_dir/panelsim.out" 2>&1 &
    sim_pid=$!
    for _ in $(seq 50); do
        grep -q '^ready' "$panel_dir/panelsim.out" 2>/dev/null && break
        kill -0 "$sim_pid" 2>/dev/null || break
        sleep 0.1
    done
    if ! grep -q '^ready' "$panel_dir/panelsim.out" 2>/dev/null; then
        echo "note: the demo panel did not start on port $panel_port:" >&2
        cat "$panel_dir/panelsim.out" >&2 || true
        kill "$sim_pid" 2>/dev/null || true
        sim_pid=""
    elif [ -z "${LOOM_DEMO_KEEP_PANEL:-}" ]; then
        # SIGTERM lets the panel save its PROM before it goes.
        trap 'kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true' EXIT
    fi
fi
link=(--tcp "127.0.0.1:$panel_port" --id 123456)
# "Koppla upp via TCP/IP" opens with the demo panel's address; the ID code is typed.
if [ -n "$sim_pid" ]; then
    "$cli" settings set IP-ADDR 127.0.0.1 >/dev/null
    "$cli" settings set IP-PORT "$panel_port" >/dev/null
fi
program="$dir/src/app/loomcraft"
first_file=()
[ -n "${first:-}" ] && first_file=("$home/FILES/$first.KQD")
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Demo home: $home"
    echo "Opening the program window: log in as demo / demo (Arkiv > Öppna finds the systems)."
    "$program" "${first_file[@]}"
    exit 0
fi
echo "No display (DISPLAY is not set): the window cannot be shown here."
if QT_QPA_PLATFORM=offscreen LOOMCRAFT_PASSWORD=demo "$program" --login demo \
    --screenshot "$home/screenshot.png" "${first_file[@]}"; then
    echo "A picture of the main window on the first demo system: $home/screenshot.png"
else
    echo "note: the picture of the window could not be made" >&2
fi
echo "The demo home through the command-line tool instead:"
echo
cli_tour
if [ -n "$sim_pid" ]; then
    echo
    echo "== prom read (the demo panel on 127.0.0.1:$panel_port)"
    LOOMCRAFT_PASSWORD=demo "$cli" --login demo prom read "${link[@]}" ||
        echo "note: prom read failed (exit $?)" >&2
fi

echo
echo "Demo home: $home (login: demo / demo). Try:"
echo "  export LOOMCRAFT_HOME=$home LOOMCRAFT_SETTINGS=$home/settings.ini LOOMCRAFT_PASSWORD=demo"
echo "  $cli form fields GL200"
if [ -n "${first:-}" ]; then
    echo "  $cli data show $first"
    echo "  $cli --login demo data set $first 0x100=\"Nytt namn\" 0x500=600"
fi
if [ -n "${first:-}" ]; then
    echo
    echo "The PROM commands against the demo panel (ID code 123456):"
    echo "  $cli --login demo prom read ${link[*]} [--json] [--save]"
    echo "  $cli --login demo prom write $first ${link[*]} --yes [--verify]"
    echo "  $cli --login demo prom log ${link[*]} [--json]"
    if [ -n "$sim_pid" ] && [ -n "${LOOM_DEMO_KEEP_PANEL:-}" ]; then
        echo "The demo panel keeps running (pid $sim_pid); stop it with: kill $sim_pid"
    else
        echo "The demo panel stops with this script; LOOM_DEMO_KEEP_PANEL=1 keeps it running,"
        echo "or start it by hand:"
        echo "  ${sim_cmd[*]}"
    fi
fi
