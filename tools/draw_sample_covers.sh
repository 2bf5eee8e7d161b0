#!/bin/sh
# Draws the covers of the delivered sample collection (data/<title>.jpg): a gradient,
# one simple motif, the title in Noto Sans CJK JP Bold and the artist below it.
# The titles, artists and songs are all invented for the sample. The JPEGs are
# committed, so run this only after changing a cover below. The first four titles of
# the sample keep the covers they were delivered with and are not drawn here.
# Needs ImageMagick (Debian: imagemagick) and the font (Debian: fonts-noto-cjk).
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
out="$here/data"
size=300

command -v convert >/dev/null 2>&1 || {
    echo "draw_sample_covers.sh: convert is missing (package imagemagick)" >&2
    exit 1
}
font=Noto-Sans-CJK-JP-Bold
convert -list font | grep -q "Font: $font\$" || {
    echo "draw_sample_covers.sh: the font $font is missing (package fonts-noto-cjk)" >&2
    exit 1
}

# The motif, drawn over the gradient in the colour given.
motif() {
    kind=$1 colour=$2
    case "$kind" in
    sun) echo "-fill '$colour' -draw \"circle 150,120 150,50\"" ;;
    moon) echo "-fill '$colour' -draw \"circle 215,80 215,40\" -fill none" ;;
    stars)
        s=""
        for p in 40,40 90,70 150,30 210,60 260,35 60,120 240,130 120,150 190,110; do
            x=${p%,*} y=${p#*,}
            s="$s -draw \"circle $x,$y $((x + 3)),$y\""
        done
        echo "-fill '$colour' $s -draw \"circle 150,95 150,60\"" ;;
    waves)
        s=""
        for y in 90 120 150 180; do
            s="$s -draw \"path 'M 0,$y Q 37,$((y - 20)) 75,$y T 150,$y T 225,$y T 300,$y'\""
        done
        echo "-fill none -stroke '$colour' -strokewidth 6 $s -stroke none" ;;
    stripes)
        s=""
        for x in -60 0 60 120 180 240; do
            s="$s -draw \"polygon $x,210 $((x + 30)),210 $((x + 130)),0 $((x + 100)),0\""
        done
        echo "-fill '$colour' $s" ;;
    rings)
        echo "-fill none -stroke '$colour' -strokewidth 5 -draw \"circle 150,110 150,30\" -draw \"circle 150,110 150,55\" -draw \"circle 150,110 150,80\" -stroke none" ;;
    rails)
        echo "-fill none -stroke '$colour' -strokewidth 6 -draw \"line 70,210 140,40\" -draw \"line 230,210 160,40\" -draw \"line 95,170 205,170\" -draw \"line 110,130 190,130\" -draw \"line 122,95 178,95\" -draw \"line 132,65 168,65\" -stroke none" ;;
    leaves)
        echo "-fill '$colour' -draw \"ellipse 100,100 45,22 0,360\" -draw \"ellipse 190,70 40,18 0,360\" -draw \"ellipse 200,150 50,20 0,360\" -draw \"circle 140,170 140,150\"" ;;
    esac
}

# title | artist | top colour | bottom colour | motif | motif colour | text colour
while IFS='|' read -r title artist top bottom kind mcolour tcolour; do
    [ -n "$title" ] || continue
    chars=$(printf '%s' "$title" | wc -m)
    points=34
    [ $((chars * points)) -le 270 ] || points=$((270 / chars))
    eval "convert -size ${size}x${size} gradient:'$top'-'$bottom' $(motif "$kind" "$mcolour") \
        -fill '#00000055' -draw 'rectangle 0,222 300,300' \
        -font $font -fill '$tcolour' -gravity south \
        -pointsize $points -annotate +0+36 '$title' \
        -pointsize 15 -annotate +0+12 '$artist' \
        -quality 90 '$out/$title.jpg'"
    echo "$title.jpg"
done <<'EOF'
夏色サイダー|葉月つむぎ|#7fd3f7|#fff3b0|sun|#ffffff88|#ffffff
月夜のアーケード|ネオン金魚|#1b1035|#6a2c70|moon|#ffe9a8|#ffd3f0
灯台守のうた|ミナモ航路|#0f3057|#00587a|waves|#a7e9f7aa|#ffffff
オレンジ色の放課後|モモイロ鉄道|#ff9a3c|#ffd36e|stripes|#ffffff44|#ffffff
深夜ラジオの星|ソラマメ通信|#0b0c2a|#323a6e|stars|#fff7c2|#ffffff
冬のプラネタリウム|葉月つむぎ|#14213d|#3a506b|stars|#e0f2ff|#ffffff
電光ドライブ|ネオン金魚|#12002b|#e6007e|stripes|#00f0ff66|#ffffff
ぶどう畑の午後|白砂ハルカ|#f7e6c4|#8e4585|leaves|#5a8f29cc|#ffffff
ドライブ・ソングス|いろいろなアーティスト|#00b4d8|#90e0ef|rails|#ffffffaa|#ffffff
ランプの灯る店|夜鷹ランプ|#2b1b0e|#8a5a2b|sun|#ffcf6e99|#fff1d0
ぼくらの宇宙船|ソラマメ通信|#240046|#5a189a|rings|#c77dffaa|#ffffff
さくら坂の手帖|葉月つむぎ|#ffe4ec|#ff8fab|leaves|#ffffffcc|#ffffff
海辺のスケッチ|ミナモ航路|#caf0f8|#0077b6|waves|#ffffffbb|#ffffff
ゆめ色鉄道|モモイロ鉄道|#ffafcc|#a2d2ff|rails|#ffffffcc|#ffffff
EOF
