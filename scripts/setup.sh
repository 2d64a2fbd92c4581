#!/usr/bin/env bash
# Installs the Debian packages Gliffo needs (only those missing; non-interactive), then
# configures and builds everything into ./build. Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  g++ cmake ninja-build pkg-config python3
  qt6-base-dev libfreetype-dev libfontconfig-dev fonts-liberation2 fonts-dejavu-core
  libspng-dev libpng-dev libtomlplusplus-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth python3-pil
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLIFFO_GUI=ON -DGLIFFO_TESTS=ON -DGLIFFO_WERROR=ON -DGLIFFO_STATIC_RUNTIME=ON
cmake --build build -j"$(nproc)"
