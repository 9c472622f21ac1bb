#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run, test and benchmark.
# Idempotent: asks dpkg first and calls apt-get only for what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config git
  clang libclang-rt-14-dev
  libsdl2-dev libsdl2-ttf-dev libimgui-dev
  libpng-dev zlib1g-dev
  libpcre2-dev
  libfluidsynth-dev fluid-soundfont-gm
  fonts-ipafont-gothic fonts-dejavu-core
  libgtest-dev libgmock-dev libbenchmark-dev
  lua5.4 liblua5.4-dev
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
