#!/usr/bin/env bash
# Installs the build into a fresh prefix, checks what a user gets, then installs again over
# changed verses and favourites and checks that they survive.
#     check-install.sh <build dir>
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
install() { cmake --install "$build" --prefix "$prefix" >/dev/null; }

install
dir=$prefix/lib/tessaline
for f in lib/tessaline/verses.mdb lib/tessaline/favs.ini share/applications/tessaline.desktop \
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
echo "install into $prefix: ok"
