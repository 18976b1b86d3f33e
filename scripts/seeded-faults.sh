#!/usr/bin/env bash
# Measures what the tests catch: seeds each fault of scripts/seeded-faults.txt in turn into a
# scratch copy of this tree, builds, runs every test and reports whether any test failed.
#
#   scripts/seeded-faults.sh [--check] [ID...]
#
# --check only confirms that every fault still applies (its text occurs exactly once in its
# file), without building. IDs limit a run to those faults. The scratch copy lives in
# $LOOM_FAULTS_DIR (default: ../loom-faults beside this tree) and is reused, so only the
# seeded file and what links it are rebuilt per fault. Results: one line per fault on stdout
# and in $LOOM_FAULTS_DIR/results.tsv (id, outcome, failing tests).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
faults_file=${LOOM_FAULTS_FILE:-$root/scripts/seeded-faults.txt}
scratch=${LOOM_FAULTS_DIR:-$(dirname "$root")/loom-faults}
jobs=$(nproc)

check_only=0
if [ "${1:-}" = "--check" ]; then check_only=1; shift; fi
wanted=" $* "

# The fault table: "== ID layer: description", "file: PATH", "- OLD TEXT", "+ NEW TEXT".
ids=() files=() olds=() news=() titles=()
while IFS= read -r line || [ -n "$line" ]; do
    case "$line" in
        "== "*) rest=${line#== }; ids+=("${rest%% *}"); titles+=("${rest#* }")
                files+=(""); olds+=(""); news+=("") ;;
        "file: "*) files[-1]=${line#file: } ;;
        "- "*) olds[-1]=${line#- } ;;
        "+ "*) news[-1]=${line#+ } ;;
    esac
done < "$faults_file"

# Replaces the one occurrence of OLD in FILE by NEW; fails when OLD is absent or repeated.
seed() {
    OLD=$2 NEW=$3 perl -0777 -i -pe '
        my ($o, $n) = ($ENV{OLD}, $ENV{NEW});
        my $count = () = /\Q$o\E/g;
        die "found $count times\n" unless $count == 1;
        s/\Q$o\E/$n/;' "$1"
}

if [ "$check_only" = 1 ]; then
    bad=0
    tmp=$(mktemp)
    for i in "${!ids[@]}"; do
        [ "$wanted" = "  " ] || [[ "$wanted" == *" ${ids[$i]} "* ]] || continue
        cp "$root/${files[$i]}" "$tmp" 2>/dev/null || { echo "${ids[$i]}: no file ${files[$i]}"; bad=1; continue; }
        if ! msg=$(seed "$tmp" "${olds[$i]}" "${news[$i]}" 2>&1); then
            echo "${ids[$i]}: ${files[$i]}: $msg"; bad=1
        fi
    done
    rm -f "$tmp"
    echo "${#ids[@]} faults, $([ $bad = 0 ] && echo "all apply" || echo "some do not apply")"
    exit $bad
fi

# Refresh the scratch copy, touching only files that changed so the last build stays valid.
mkdir -p "$scratch/src"
(cd "$root" && git ls-files) | while IFS= read -r f; do
    [ -f "$root/$f" ] || continue
    if ! cmp -s "$root/$f" "$scratch/src/$f"; then
        mkdir -p "$scratch/src/$(dirname "$f")"
        cp "$root/$f" "$scratch/src/$f"
    fi
done

build() {
    cmake -S "$scratch/src" -B "$scratch/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DLOOM_WERROR=ON -DLOOM_BENCH=OFF >/dev/null &&
        cmake --build "$scratch/build" -j"$jobs" >"$scratch/build.log" 2>&1
}
# Every test, not only up to the first failure, so the results say which tests catch what.
run_tests() {
    ctest --test-dir "$scratch/build" -j"$jobs" --timeout 120 >"$scratch/test.log" 2>&1
}
failed_tests() {
    sed -n '/The following tests FAILED/,$p' "$scratch/test.log" |
        sed -nE 's/^[[:space:]]*[0-9]+ - ([^ ]+).*/\1/p' | paste -sd' ' -
}

echo "building the unchanged tree in $scratch"
build || { echo "the unchanged tree does not build: $scratch/build.log"; exit 1; }
run_tests || { echo "the unchanged tree fails its tests: $scratch/test.log"; exit 1; }

results="$scratch/results.tsv"
: >"$results"
caught=0 total=0
for i in "${!ids[@]}"; do
    id=${ids[$i]} file="$scratch/src/${files[$i]}"
    [ "$wanted" = "  " ] || [[ "$wanted" == *" $id "* ]] || continue
    total=$((total + 1))
    cp "$file" "$scratch/pristine"
    if ! seed "$file" "${olds[$i]}" "${news[$i]}" 2>/dev/null; then
        outcome="not-applied" tests=""
    elif ! build; then
        outcome="build-failed" tests=""
    elif run_tests; then
        outcome="MISSED" tests=""
    else
        outcome="caught" tests=$(failed_tests)
        caught=$((caught + 1))
    fi
    # Back to the original text; the new time stamp makes the next build compile it again.
    cp "$scratch/pristine" "$file" && touch "$file"
    printf '%s\t%s\t%s\n' "$id" "$outcome" "$tests" >>"$results"
    printf '%-14s %-12s %s\n' "$id" "$outcome" "${titles[$i]}"
done
build >/dev/null 2>&1 || true
echo "caught $caught of $total seeded faults"
