#!/usr/bin/env bash
# The desktop entry and the metainfo pass the desktop's own checks; skipped
# (77) where those checks are not installed.
#   validate-desktop-files.sh DESKTOP_FILE METAINFO_FILE
set -euo pipefail
command -v desktop-file-validate >/dev/null && command -v appstreamcli >/dev/null || exit 77
desktop-file-validate "$1"
appstreamcli validate --no-net --pedantic "$2"
