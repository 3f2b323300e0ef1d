#!/usr/bin/env bash
# The Debian package: built from the build folder, checked by lintian,
# unpacked without being installed, and its program started headless with a
# home of its own. It must make the user's store on this first start and end
# cleanly.
#   package.sh BUILD_FOLDER
set -euo pipefail
build=$1
work=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/package" >/dev/null
deb=$(ls "$work"/package/quilbo2009_*.deb)
# A package a distribution would take: lintian finds nothing to say.
command -v lintian >/dev/null || fail "lintian is not installed"
lintian --fail-on error,warning "$deb" >"$work/lintian.txt" 2>&1 || { cat "$work/lintian.txt" >&2; fail "lintian reports errors or warnings"; }
dpkg-deb -x "$deb" "$work/root"
[ -x "$work/root/usr/bin/quilbo" ] || fail "the package holds no usr/bin/quilbo"
# The old-store reader lies outside the PATH, where the program looks for it.
[ -x "$work/root/usr/lib/quilbo2009/quilbo-legacy-reader" ] || fail "the package holds no usr/lib/quilbo2009/quilbo-legacy-reader"
[ ! -e "$work/root/usr/bin/quilbo-legacy-reader" ] || fail "the old-store reader is on the PATH"
# The guide the program shows, with its screenshots, in both languages.
for f in guide.md guide.en.md images/album-grid.png images/en/album-grid.png; do
  [ -f "$work/root/usr/share/quilbo2009/guide/$f" ] || fail "the package holds no usr/share/quilbo2009/guide/$f"
done

home="$work/home"
mkdir -p "$home"
folder="$home/.local/share/quilbo2009"
env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen \
  "$work/root/usr/bin/quilbo" >"$work/out.txt" 2>&1 &
pid=$!
# Up once the store is open: its lock is there.
for _ in $(seq 200); do
  [ -f "$folder/.pdate.pdb.lock" ] && break
  kill -0 "$pid" 2>/dev/null || { cat "$work/out.txt" >&2; fail "the program ended by itself"; }
  sleep 0.05
done
[ -f "$folder/pdate.pdb" ] || fail "no store was made under the temporary home"
[ "$(stat -c %a "$folder/pdate.pdb")" = 600 ] || fail "the store is not private to its user"
[ "$(stat -c %a "$folder")" = 700 ] || fail "the store's folder is not private to its user"

kill -TERM "$pid"
rc=0
wait "$pid" || rc=$?
pid=
[ "$rc" = 0 ] || { cat "$work/out.txt" >&2; fail "the program ended with status $rc"; }
[ ! -e "$folder/.pdate.pdb.lock" ] || fail "the lock was left behind"
echo "the unpacked package started, made its store and ended cleanly"
