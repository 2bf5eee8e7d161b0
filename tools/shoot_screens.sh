#!/usr/bin/env bash
# Photographs every screen of ウタバコ for the README: starts the built program on a
# copy of the delivered sample collection (data/) under a virtual X server at
# 1280 x 800, drives it through the accessibility bus as a user would
# (tools/shoot_screens.py), and writes docs/*.png; then once more at 200 %
# (QT_SCALE_FACTOR=2 on 2560 x 1600) for docs/main-screen-200.png.
# Builds nothing and installs nothing:
#   tools/shoot_screens.sh [built program, default build/utabako] [output folder, default docs]
# docs/lyrics-page.png (the printed page) is not made here.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "${1:-$here/build/utabako}")
out=$(realpath "${2:-$here/docs}")
[ -x "$program" ] || { echo "shoot_screens.sh: no program at $program (build it first)" >&2; exit 1; }

# What the run needs, with the Debian package that brings it.
missing=()
need() { command -v "$1" >/dev/null 2>&1 || missing+=("$2"); }
need Xvfb xvfb
need xdotool xdotool
need import imagemagick
need dbus-run-session dbus
[ -x /usr/libexec/at-spi-bus-launcher ] || missing+=(at-spi2-core)
python=/usr/bin/python3
"$python" -c 'import pyatspi' 2>/dev/null || missing+=(python3-pyatspi)
[ -n "$(fc-list ':family=Noto Sans CJK JP' family 2>/dev/null)" ] || missing+=(fonts-noto-cjk)
if [ ${#missing[@]} -gt 0 ]; then
    echo "shoot_screens.sh: install these Debian packages first: ${missing[*]}" >&2
    exit 1
fi

if [ -n "${SHOOT_LANG:-}" ]; then lang=$SHOOT_LANG
elif locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\?8'; then lang=ja_JP.UTF-8; else lang=C.UTF-8; fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# One session: its own D-Bus, accessibility bus and X server, the program on a fresh
# copy of the sample with the help tour off (its boxes would cover the screens).
session() {
    local display=$1 size=$2 which=$3
    rm -rf "$work/collection"
    cp -r "$here/data" "$work/collection"
    printf '"\x83\x77\x83\x8b\x83\x76\x83\x63\x83\x41\x81\x5b",0\r\n' >"$work/collection/設定.TXT"
    cat >"$work/session.sh" <<EOF
set -u
Xvfb :$display -screen 0 ${size}x24 -nolisten tcp 2>/dev/null & xserver=\$!
/usr/libexec/at-spi-bus-launcher --launch-immediately 2>/dev/null & bus=\$!
export DISPLAY=:$display
for _ in \$(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
"$program" "$work/collection" 2>"$work/program.log" & app=\$!
window=\$(xdotool search --sync --onlyvisible --name 'ウタバコ' | head -n 1)
xdotool windowmove "\$window" 0 0 windowsize "\$window" ${size/x/ }
"$python" "$here/tools/shoot_screens.py" "$out" $which; status=\$?
kill \$app \$bus \$xserver 2>/dev/null
wait \$app 2>/dev/null
exit \$status
EOF
    env LANG=$lang LC_ALL=$lang QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 \
        QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work" "${@:4}" \
        dbus-run-session -- bash "$work/session.sh" 2> >(grep -v -e dbus-daemon -e SpiRegistry >&2)
}

session 97 1280x800 main
session 98 2560x1600 main-200 QT_SCALE_FACTOR=2
echo "shoot_screens.sh: pictures written to $out ($lang)"
