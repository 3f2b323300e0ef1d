#!/usr/bin/env bash
# Installs the Debian packages that are missing, and nothing more:
#   install-deps.sh run    what building and running the program needs
#   install-deps.sh test   that, and what the tests and benchmarks use
set -euo pipefail

packages=(
  # building
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev
  # the English texts: Qt's translation tools
  qt6-tools-dev qt6-l10n-tools
  libsqlcipher-dev libsodium-dev libssl-dev libjpeg62-turbo-dev libturbojpeg0-dev libexif-dev libheif-dev mdbtools-dev libseccomp-dev
  # running: the window system plugins, Qt's own Chinese texts, a CJK font,
  qt6-qpa-plugins qt6-translations-l10n fonts-wqy-microhei
  # WebP and TIFF pictures
  qt6-image-formats-plugins
)
if [ "${1:-run}" = test ]; then
  packages+=(
    # a display for the tests, and the tools that try the program as a user
    xvfb xauth xdotool imagemagick
    # the standard shell that must read the store; the desktop's settings
    sqlcipher libglib2.0-bin gsettings-desktop-schemas
    # checks of the desktop entry and the metainfo; the package's
    # dependencies and its check
    desktop-file-utils appstream dpkg-dev lintian
    # reading back what is printed to PDF
    poppler-utils
    # an HEIC encoder for the test pictures
    libheif-examples
    # a FAT file system, as on a USB stick, where the machine can mount one
    dosfstools
  )
fi

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
