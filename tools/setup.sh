#!/usr/bin/env bash
# Sets up ウタバコ on a Debian 12 machine: installs what is missing, builds, and then
#   run   starts the program on the data folder ~/ウタバコ (made from data/ the first
#         time);
#   test  runs every test.
# Run it as root (a minimal system needs no sudo) or as an ordinary user who may use
# sudo: only the package installation needs root, the rest runs as the user.
set -euo pipefail

mode=${1:-}
case "$mode" in
  run|test) ;;
  *) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

here=$(cd "$(dirname "$0")/.." && pwd)
packages=(g++ cmake make qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins libgl-dev libfontconfig-dev fonts-noto-cjk qt6-translations-l10n poppler-utils python3 libbenchmark-dev libtag1-dev libicu-dev libmecab-dev mecab-ipadic-utf8 pkg-config clang libclang-rt-dev strace)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  as_root=()
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
      echo "${missing[*]} を入れるには root の権限が要ります。root で実行してください。" >&2
      exit 1
    fi
    as_root=(sudo)
  fi
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Everything else as the user who asked for it.
as_user() {
  if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ]; then
    sudo -u "$SUDO_USER" -H "$@"
  else
    "$@"
  fi
}

build="$here/build"
as_user cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
as_user cmake --build "$build" --parallel "$(nproc)"

if [ "$mode" = test ]; then
  cd "$build"
  as_user ctest --output-on-failure
  exit
fi

home=$(as_user sh -c 'echo "$HOME"')
cd "$home"
as_user "$build/utabako" "$home/ウタバコ"
