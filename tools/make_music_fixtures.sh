#!/bin/sh
# Makes the tiny silent music files the import tests copy and tag (tests/fixtures/music).
# Run once by hand; the files are committed. Needs ffmpeg, which the program and its
# build do not: `apt-get install -y ffmpeg` on the machine that makes them. The files
# carry no tags: the tests write every tag with TagLib themselves.
set -e
here=$(cd "$(dirname "$0")/.." && pwd)
out="$here/tests/fixtures/music"
mkdir -p "$out"
make() { # name, codec options...
  name=$1; shift
  ffmpeg -v error -y -f lavfi -i anullsrc=r=8000:cl=mono -t 0.1 -map_metadata -1 -fflags +bitexact \
    -flags:a +bitexact "$@" "$out/$name"
}
make silence.mp3 -c:a libmp3lame -b:a 8k
make silence.flac -c:a flac
make silence.ogg -c:a libvorbis -q:a 0 -ar 8000
make silence.opus -c:a libopus -b:a 6k -ar 8000
make silence.m4a -c:a aac -b:a 8k
make silence.wav -c:a pcm_u8
ls -l "$out"
