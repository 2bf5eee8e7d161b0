#!/usr/bin/env bash
# Sets up ウタバコ on a Debian 12 machine: installs what is missing, builds, and then
#   run   prepares the data folder (~/ウタバコ, copied from data/ the first time) and
#         starts the program in it;
#   test  runs every test.
# Run as root, or through sudo: packages are installed as root, the rest runs as the
# user who called sudo.
set -euo pipefail

mode=${1:-}
case "$mode" in
  run|test) ;;
  *) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

here=$(cd "$(dirname "$0")/.." && pwd)
packages=(g++ cmake make qt6-base-dev qt6-base-dev-tools libgl-dev fonts-noto-cjk libbenchmark-dev clang libclang-rt-dev)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "Installing ${missing[*]} needs root: run this through sudo." >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
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
folder="$home/ウタバコ"
if [ ! -d "$folder" ]; then
  as_user cp -r "$here/data" "$folder"
  echo "データフォルダを作りました: $folder"
fi
cd "$folder"
as_user "$build/utabako"
