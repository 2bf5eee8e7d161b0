#!/usr/bin/env bash
# Photographs every screen of ウタバコ for the README: starts the built program on a
# copy of the delivered sample collection (data/) under a virtual X server at
# 1280 x 800, drives it through the accessibility bus as a user would
# (tools/shoot_screens.py), and writes docs/*.png; then once more at 200 %
# (QT_SCALE_FACTOR=2 on 2560 x 1600) for docs/main-screen-200.png. The copy of the sample
# gets more artists than the ranking shows at once and a title with a long genre.
# Builds nothing and installs nothing:
#   tools/shoot_screens.sh [built program, default build/utabako] [output folder, default docs]
# docs/lyrics-page.png (the printed page) is not made here. docs/music-import.png is made
# when ffmpeg is at hand (it tags a few silent files for the import to find).
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

# A folder of ripped albums, invented, for the music import: tagged silent files made from
# the test fixtures.
music() {
    local fix="$here/tests/fixtures/music" dir=$work/music
    tag() { # kind, file, ffmpeg tag options...
        local kind=$1 file=$2; shift 2
        mkdir -p "$(dirname "$file")"
        ffmpeg -v error -y -i "$fix/silence.$kind" -map 0 -c copy "$@" "$file"
    }
    local n=1 song
    for song in 入道雲のころ 自転車と坂道 花火のあと 九月の手紙; do
        tag mp3 "$dir/潮見ルリ/夏のスケッチブック/0$n.mp3" -metadata album=夏のスケッチブック \
            -metadata artist=潮見ルリ -metadata title=$song -metadata track=$n -metadata genre=J-POP \
            -metadata date=2022-07-20
        n=$((n + 1))
    done
    cp "$here/data/夏色サイダー.jpg" "$dir/潮見ルリ/夏のスケッチブック/cover.jpg"
    n=1
    for song in "Harbor Lights" "Slow Freight" "Last Exit"; do
        tag flac "$dir/Paper Lanterns/Motorway Nights/0$n.flac" -metadata album="Motorway Nights" \
            -metadata artist="The Paper Lanterns" -metadata title="$song" -metadata track=$n \
            -metadata genre=Rock -metadata date=2019 -metadata LYRICS="Lights on the water, $song"
        n=$((n + 1))
    done
    n=1
    for pair in "かえるのおさんぽ:森野こだま" "おつきさまの舟:白砂ハルカ" "ねむりの木:森野こだま"; do
        tag ogg "$dir/童謡/0$n.ogg" -metadata album=ゆうやけ童謡集 -metadata artist="${pair#*:}" \
            -metadata title="${pair%%:*}" -metadata tracknumber=$n -metadata genre=童謡 -metadata date=2020-11-03
        n=$((n + 1))
    done
    tag m4a "$dir/ミナモ航路/01.m4a" -metadata album=青い灯台の夜 -metadata artist=ミナモ航路 \
        -metadata title=潮騒のプロローグ -metadata track=1
    tag mp3 "$dir/試聴/01.mp3" -metadata album="A/B テスト" -metadata artist=潮見ルリ -metadata title=テスト -metadata track=1
    tag mp3 "$dir/デモ音源/01.mp3" -metadata artist=夜鷹ランプ -metadata title=ひとりごと -metadata track=1
    echo "$dir"
}
if command -v ffmpeg >/dev/null 2>&1; then export SHOOT_MUSIC=$(music); fi

# One session: its own D-Bus, accessibility bus and X server, the program on a fresh
# copy of the sample with the help tour off (its boxes would cover the screens).
session() {
    local display=$1 size=$2 which=$3
    rm -rf "$work/collection"
    cp -r "$here/data" "$work/collection"
    printf '"\x83\x77\x83\x8b\x83\x76\x83\x63\x83\x41\x81\x5b",0\r\n' >"$work/collection/設定.TXT"
    # More artists than the ranking shows at once, each with a song, so that both tables
    # scroll; and a title whose genre is long, for the title list.
    "$python" - "$work/collection" <<'PY'
import sys, os
folder = sys.argv[1]
def append(name, lines):
    with open(os.path.join(folder, name), "ab") as f:
        f.write("".join(line + "\r\n" for line in lines).encode("cp932"))
firsts = ["星見台", "月影", "朝凪", "青葉", "白樺", "夕凪"]
seconds = ["オーケストラ", "カルテット", "楽団", "ブラス", "合唱団"]
artists = [a + b for a in firsts for b in seconds]
append("歌手マスタ.txt", artists)
append("曲目データ.TXT", ['"%sのテーマ","%s","","","","","","","","","",""' % (a, a) for a in artists])
titles = os.path.join(folder, "データ.TXT")
text = open(titles, "rb").read().decode("cp932")
text = text.replace('"ぼくらの宇宙船","ソラマメ通信","アニメ"', '"ぼくらの宇宙船","ソラマメ通信","サウンドトラック"')
open(titles, "wb").write(text.encode("cp932"))
# A title deleted earlier, for 削除したタイトル, and a day of the history with one title
# fewer than today, for 履歴.
kept = os.path.join(folder, "削除済み_20261205_183000")
os.makedirs(kept)
open(os.path.join(kept, "削除したタイトル.csv"), "wb").write(
    '"雨音のワルツ","白砂ハルカ","ジャズ","○","CD","2015/06/01","限定盤"\r\n'.encode("cp932"))
open(os.path.join(kept, "雨音のワルツ.jpg"), "wb").write(open(os.path.join(folder, "夏色サイダー.jpg"), "rb").read())
day = os.path.join(folder, "履歴", "20261207")
os.makedirs(day)
open(os.path.join(day, "データ.TXT"), "wb").write("".join(text.splitlines(keepends=True)[:-1]).encode("cp932"))
# The sample's artists keep their readings, its titles wait on 読みの確認 for theirs.
readings = os.path.join(folder, "読みデータ.DAT")
lines = open(readings, "rb").read().decode("cp932").splitlines(keepends=True)
open(readings, "wb").write("".join(l for l in lines if l.startswith('"歌手"')).encode("cp932"))
PY
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
