#!/usr/bin/env bash
# Installs the build into a fresh prefix as scripts/run does, checks what a user gets, installs
# again over changed files and checks that they survive, then uninstalls.
#     check-install.sh <build dir>
set -euo pipefail
build=$1
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
install() { "$scripts/install" "$prefix" "$build"; }
# Every file and link below the prefix, one a line.
tree() { (cd "$prefix" && find . \( -type f -o -type l \) | sort); }

install
dir=$prefix/lib/tessaline
for f in lib/tessaline/verses.mdb lib/tessaline/favs.ini lib/tessaline/installed \
    share/applications/tessaline.desktop \
    share/metainfo/io.github.tessaline.Tessaline.metainfo.xml \
    share/icons/hicolor/scalable/apps/tessaline.svg; do
    [ -f "$prefix/$f" ] || fail "$f is not installed"
done
# Relative links, so the prefix can be moved; each program finds its directory through its link.
for program in tessaline tessaline-verses; do
    [ -x "$dir/$program" ] || fail "$program is not installed in $dir"
    [ -L "$prefix/bin/$program" ] || fail "bin/$program is not a symbolic link"
    [ "$(readlink "$prefix/bin/$program")" = "../lib/tessaline/$program" ] ||
        fail "bin/$program points to $(readlink "$prefix/bin/$program")"
done

# Each PNG holds the size its folder names (width and height from the IHDR chunk).
for size in 16 24 32 48 64 128 256; do
    png=$prefix/share/icons/hicolor/${size}x$size/apps/tessaline.png
    [ -f "$png" ] || fail "no ${size} px icon"
    read -r w h < <(od -An -tu1 -j16 -N8 "$png" |
        awk '{ print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }')
    [ "$w $h" = "$size $size" ] || fail "the ${size} px icon is $w x $h"
done

# The starter favourites as the program writes them: 12 lines ended by CR LF, text before title.
favs=$dir/favs.ini
[ "$(tr -cd '\n' <"$favs" | wc -c)" = 12 ] || fail "favs.ini does not have 12 lines"
[ "$(grep -c $'\r$' "$favs")" = 12 ] || fail "favs.ini has lines not ended by CR LF"
[ "$(sed -n 2p "$favs")" = $'Psalm 23:1\r' ] || fail "favs.ini does not start with Psalm 23:1"
[ "$(sed -n 11,12p "$favs" | tr -d '\r\n')" = "" ] || fail "the last favourite is not empty"

grep -qx "Exec=\"$prefix/bin/tessaline\"" "$prefix/share/applications/tessaline.desktop" ||
    fail "the menu entry does not start $prefix/bin/tessaline"
grep -qx "TryExec=$prefix/bin/tessaline" "$prefix/share/applications/tessaline.desktop" ||
    fail "the menu entry would stay once the program is gone (no TryExec)"
# install_manifest.txt names every file the install made, the menu entry and links included.
[ "$(tree | grep -v '^./lib/tessaline/installed-files$')" = \
    "$(sed "s|^$prefix|.|" "$build/install_manifest.txt" | sort)" ] ||
    fail "install_manifest.txt does not list exactly what was installed"
desktop-file-validate "$prefix/share/applications/tessaline.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/io.github.tessaline.Tessaline.metainfo.xml"

# The user's own files survive a reinstall or an upgrade; the program is replaced.
printf 'my verses' >"$dir/verses.mdb"
printf 'my verse\r\nMine\r\n' >"$favs"
printf 'old program' >"$dir/tessaline"
install
[ "$(cat "$dir/verses.mdb")" = "my verses" ] || fail "a second install replaced verses.mdb"
[ "$(cat "$favs")" = $'my verse\r\nMine\r' ] || fail "a second install replaced favs.ini"
cmp -s "$dir/tessaline" "$build/tessaline" || fail "a second install kept the old program"

# Uninstalling removes every file an install put there and still as installed, the menu entry
# too; it keeps what changed since (here the program folder's verses.mdb and favs.ini) and the
# user's own folder.
mkdir -p "$prefix/home/.local/share/tessaline"
printf 'user verses' >"$prefix/home/.local/share/tessaline/verses.mdb"
TESSALINE_PREFIX=$prefix HOME=$prefix/home XDG_DATA_HOME= "$scripts/uninstall" >/dev/null
[ "$(tree)" = "$(printf '%s\n' ./home/.local/share/tessaline/verses.mdb \
    ./lib/tessaline/favs.ini ./lib/tessaline/verses.mdb)" ] ||
    fail "uninstall left or removed the wrong files: $(tree | tr '\n' ' ')"
rm -rf "$prefix/home" "$dir"

# A fresh install and uninstall leave no file behind; files from an earlier install that kept
# the user's verses beside the program are not the install's and stay.
install
TESSALINE_PREFIX=$prefix "$scripts/uninstall" >/dev/null
[ -z "$(tree)" ] || fail "uninstall left $(tree | tr '\n' ' ')"
[ ! -e "$dir" ] || fail "uninstall left $dir"
mkdir -p "$dir"
printf 'old own verses' >"$dir/verses.mdb"
install
TESSALINE_PREFIX=$prefix "$scripts/uninstall" >/dev/null
[ "$(tree)" = ./lib/tessaline/verses.mdb ] || fail "uninstall after an older install left $(tree)"
[ "$(cat "$dir/verses.mdb")" = "old own verses" ] || fail "uninstall changed older own verses"
echo "install into $prefix: ok"
