#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need.
# Does nothing when every package is already present.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev
  libsqlcipher-dev sqlcipher
  libjpeg62-turbo-dev libturbojpeg0-dev
  fonts-wqy-microhei
  xvfb xauth xdotool imagemagick
  libglib2.0-bin gsettings-desktop-schemas
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
