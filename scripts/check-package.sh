#!/usr/bin/env bash
# Checks a built Debian package without installing it: unpacks it into a temporary root,
# looks for what it must hold, runs the unpacked loomcraft-cli and starts the unpacked
# program offscreen for a user with an empty home, far enough to show its first dialog
# (the first run's offer to create a password file). Usage: scripts/check-package.sh DEB
set -euo pipefail
deb=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root="$work/root"
home="$work/home"
mkdir -p "$root" "$home"
dpkg-deb -x "$deb" "$root"

fail() {
    echo "package check failed: $*" >&2
    exit 1
}

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6printsupport6 qt6-qpa-plugins; do
    [[ "$depends" == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done
for program in loomcraft loomcraft-cli kqform loomcraft-panelsim; do
    [ -x "$root/usr/bin/$program" ] || fail "/usr/bin/$program is missing"
done
for file in applications/loomcraft.desktop mime/packages/loomcraft.xml \
    icons/hicolor/scalable/apps/loomcraft.svg icons/hicolor/48x48/apps/loomcraft.png \
    doc/loomcraft/help/index.html; do
    [ -f "$root/usr/share/$file" ] || fail "/usr/share/$file is missing"
done
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$root/usr/share/applications/loomcraft.desktop" ||
        fail "the desktop entry is not valid"
fi

"$root/usr/bin/loomcraft-cli" --help >/dev/null || fail "loomcraft-cli --help failed"
"$root/usr/bin/kqform" --help >/dev/null || fail "kqform --help failed"

# A user who never ran the program: only HOME, none of the program's own variables.
as_user=(env -u LOOMCRAFT_HOME -u LOOMCRAFT_SETTINGS -u XDG_DATA_HOME -u XDG_CONFIG_HOME
         HOME="$home")
data="$home/.local/share/loomcraft"
where=$("${as_user[@]}" "$root/usr/bin/loomcraft-cli" home) ||
    fail "loomcraft-cli home failed"
[ "$(head -n1 <<<"$where")" = "$data" ] || fail "loomcraft-cli home says: $where"

shown=$("${as_user[@]}" QT_QPA_PLATFORM=offscreen LOOMCRAFT_EXIT_AFTER_SHOWN=1 \
    timeout 60 "$root/usr/bin/loomcraft") || fail "the program did not show a dialog (exit $?)"
echo "$shown"
grep -q "Vill du skapa en ny lösenordsfil nu?" <<<"$shown" ||
    fail "the first dialog is not the first run's: $shown"
for folder in FORMS FILES INDEX PICTURES HELP LOG Convert; do
    [ -d "$data/$folder" ] || fail "the first start did not make $data/$folder"
done
echo "package check passed: $(basename "$deb")"
