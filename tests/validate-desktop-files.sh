#!/usr/bin/env bash
# The desktop entry and the metainfo pass the desktop's own checks, the
# metainfo with nothing to say even pedantically; skipped (77) where those
# checks are not installed.
#   validate-desktop-files.sh DESKTOP_FILE METAINFO_FILE
set -euo pipefail
command -v desktop-file-validate >/dev/null && command -v appstreamcli >/dev/null || exit 77
desktop-file-validate "$1"
said=$(appstreamcli validate --no-net --pedantic "$2")
echo "$said"
# Notes, even pedantic ones, are counted after the verdict.
grep -q 'Validation was successful\.$' <<<"$said"
