#!/usr/bin/env bash
# Every text the user sees goes through the translation, and the English
# translation has every one of them, none empty:
#   translations.sh SOURCE_DIR LUPDATE LRELEASE
set -euo pipefail
src=$1 lupdate=$2 lrelease=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0

# A Chinese text in the code that is not handed to the translation: what
# is left of a line once its translated texts (also those whose context
# opens the line) and a literal continuing the line before are taken out.
cd "$src"
folders=(app common desktop dialogs imaging legacy library mainwindow store viewer)
translated='(\btr|translate\("\w+",|QT_TRANSLATE_NOOP\("\w+",)\s*\(?\s*"(\\.|[^"\\])*"'
bare=$(grep -rnP '"[^"\n]*[\x{4e00}-\x{9fff}]' --include='*.cpp' --include='*.h' "${folders[@]}" \
          | grep -vP '^[^:]+:\d+:\s*(//|\*)' \
          | perl -CSD -ne 'my ($where, $line) = /^([^:]+:\d+:)(.*)$/; $line =~ s/^\s*"\w+",\s*"(\\.|[^"\\])*"//; $line =~ s/'"$translated"'//g; $line =~ s/^\s*"(\\.|[^"\\])*"//;
                      print "$where$line\n" if $line =~ /"[^"]*\p{Han}/;' || true)
if [ -n "$bare" ]; then
  echo "Chinese texts not translated (wrap them in tr()):"
  echo "$bare"
  status=1
fi

# The translation brought up to date with the code, as the build's
# update_translations does, then compiled: nothing may be unfinished.
cp translations/quilbo_en.ts "$work/"
"$lupdate" -silent -no-obsolete -locations none "${folders[@]}" -ts "$work/quilbo_en.ts"
report=$("$lrelease" "$work/quilbo_en.ts" -qm "$work/quilbo_en.qm")
echo "$report"
if ! grep -qE '\([0-9]+ finished and 0 unfinished\)' <<<"$report" || grep -q 'type="unfinished"' "$work/quilbo_en.ts"; then
  echo "Texts without an English translation:"
  grep -B2 'type="unfinished"' "$work/quilbo_en.ts" | grep '<source>' || true
  status=1
fi
if grep -nE '<translation>\s*</translation>|<translation/>' "$work/quilbo_en.ts"; then
  echo "Empty English translations (above)."
  status=1
fi
exit $status
