#!/usr/bin/env bash
# Installs the build into a temporary prefix and starts the installed program as another user
# (nobody, when run as root; otherwise this user, with the prefix made read-only) with a
# temporary home, under Xvfb: the first start fills ~/.local/share/tessaline with the samples,
# a favourite chosen with the mouse is saved there, the companion adds a verse there, and the
# prefix is left exactly as installed.
#     check-user-files.sh <build dir>
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
prefix=$work/prefix
home=$work/home
mkdir -p "$prefix" "$home"
"$here/../../scripts/install" "$prefix" "$build"
chmod 755 "$work" "$prefix"
state() { (cd "$prefix" && find . -printf '%p %y %s %m %T@\n' | sort); }
before=$(state)

if [ "$(id -u)" = 0 ]; then
    chown nobody: "$home"
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
else
    chmod -R a-w "$prefix"
    as_user=()
fi
run() {
    "${as_user[@]}" env -i HOME="$home" PATH=/usr/bin:/bin TMPDIR=/tmp LANG=C.UTF-8 "$@"
}

# Select Verse, the last "Change Verse" (slot 6, empty in the starter favourites), then Select
# in the editor: the first verse in title order becomes the sixth favourite. Positions are the
# buttons' own, in pixels from each window's corner.
run xvfb-run -a -s '-screen 0 1280x1024x24' bash -s "$prefix" <<'DRIVE' >"$work/drive.log" 2>&1 ||
set -euo pipefail
prefix=$1
favs=$HOME/.local/share/tessaline/favs.ini
"$prefix/bin/tessaline" &
program=$!
trap 'kill $program 2>/dev/null || true' EXIT
click() {
    local window
    window=$(xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1)
    xdotool mousemove --window "$window" "$2" "$3" click 1
}
click Tessaline 540 30
click "Favorite Verses" 480 224
click verses 40 324
# Select writes the file before it hides the editor; wait for that, within 30 s.
for _ in $(seq 300); do
    [ -n "$(sed -n 12p "$favs" 2>/dev/null | tr -d '\r')" ] && exit 0
    sleep 0.1
done
echo "favs.ini never got the sixth favourite" >&2
exit 1
DRIVE
    fail "the installed program did not save a favourite: $(cat "$work/drive.log")"

data=$home/.local/share/tessaline
[ -f "$data/verses.mdb" ] || fail "the first start did not copy verses.mdb into $data"
cmp -s "$data/verses.mdb" "$prefix/lib/tessaline/verses.mdb" ||
    fail "the user's verses.mdb is not the sample"
# The first five favourites are the starter ones, the sixth is the chosen verse.
[ "$(sed -n 1,10p "$data/favs.ini")" = "$(sed -n 1,10p "$prefix/lib/tessaline/favs.ini")" ] ||
    fail "the starter favourites were not kept: $(cat "$data/favs.ini")"
[ -n "$(sed -n 11p "$data/favs.ini" | tr -d '\r')" ] || fail "the sixth favourite has no text"

# The companion uses the same folder.
printf 'Test title\tA verse the companion added.\n' >"$work/add.tsv"
chmod 644 "$work/add.tsv"
run "$prefix/bin/tessaline-verses" import "$work/add.tsv" >/dev/null ||
    fail "the companion could not add to the user's verses"
run "$prefix/bin/tessaline-verses" export "$home/all.csv" >/dev/null &&
    grep -q "A verse the companion added" "$home/all.csv" ||
    fail "the companion's verse is not in the user's verses.mdb"

[ "$(state)" = "$before" ] || fail "the prefix changed: $(diff <(echo "$before") <(state))"
echo "installed program as another user: ok"
