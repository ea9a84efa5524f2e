#!/usr/bin/env bash
# Makes the release zip from the files the win preset built:
#   dist.sh VERSION EXE DLL DLL32 HOST32 README.md OUTDIR
# OUTDIR gets tavrisol-VERSION-win-x64.zip (tavrisol.exe, tavrisolhelper.dll, the 32-bit
# tavrisolhelper32.dll and tavrisolhook32.exe, and README.txt,
# the user's part of README.md as plain text with CRLF line ends) and SHA256SUMS for it.
set -euo pipefail
version=$1 exe=$2 dll=$3 dll32=$4 host32=$5 readme=$6 out=$7
name=tavrisol-$version-win-x64
stage=$(mktemp -d /tmp/tavrisol-dist.XXXXXX)
trap 'rm -rf "$stage"' EXIT

cp "$exe" "$stage/tavrisol.exe"
cp "$dll" "$stage/tavrisolhelper.dll"
cp "$dll32" "$stage/tavrisolhelper32.dll"
cp "$host32" "$stage/tavrisolhook32.exe"

# README.md up to the marker, as plain text: no images, headings underlined, no emphasis or
# code marks, links as "text (address)", dashes and quotes in ASCII; CRLF line ends.
marker="<!-- The user's part ends here"
grep -q "^$marker" "$readme" || { echo "dist: $readme has no end-of-user-part marker"; exit 1; }
sed "/^$marker/,\$d" "$readme" |
  sed -e '/^!\[.*\](.*)$/d' \
      -e 's/\*\*//g' -e 's/`//g' \
      -e 's/\[\([^]]*\)\](\([^)]*\))/\1 (\2)/g' \
      -e 's/—/-/g; s/–/-/g; s/[‘’]/'"'"'/g; s/[“”]/"/g' |
  awk '
    /^# /   { t = substr($0, 3); print t; gsub(/./, "=", t); print t; next }
    /^## /  { t = substr($0, 4); print t; gsub(/./, "-", t); print t; next }
    /^### / { t = substr($0, 5); print t; gsub(/./, "~", t); print t; next }
    { print }' |
  cat -s | sed -e :a -e '/^\n*$/{$d;N;ba' -e '}' | sed 's/$/\r/' >"$stage/README.txt"
if LC_ALL=C grep -q '[^ -~[:space:]]' "$stage/README.txt"; then
  echo "dist: README.txt would hold characters outside ASCII:"
  LC_ALL=C grep -n '[^ -~[:space:]]' "$stage/README.txt"
  exit 1
fi

# A release says what changed: CHANGELOG.md beside the README has its section.
changelog=$(dirname "$readme")/CHANGELOG.md
grep -q "^## \[$version\] - " "$changelog" ||
  { echo "dist: $changelog has no section for $version"; exit 1; }

mkdir -p "$out"
rm -f "$out/$name.zip"
# Entries dated by the last commit and without extra fields, so the same sources give the same
# zip.
stamp=$(TZ=UTC git -C "$(dirname "$readme")" log -1 --date=format-local:'%Y %m %d %H %M %S' \
  --format=%cd 2>/dev/null || date -u '+%Y %m %d %H %M %S')
python3 - "$out/$name.zip" "$stamp" "$stage" <<'PY'
import sys, zipfile
path, stamp, stage = sys.argv[1], tuple(int(f) for f in sys.argv[2].split()), sys.argv[3]
with zipfile.ZipFile(path, "w") as z:
    for name in ("tavrisol.exe", "tavrisolhelper.dll", "tavrisolhelper32.dll", "tavrisolhook32.exe",
                 "README.txt"):
        entry = zipfile.ZipInfo(name, date_time=stamp)
        entry.compress_type = zipfile.ZIP_DEFLATED
        entry.external_attr = 0o644 << 16
        with open(f"{stage}/{name}", "rb") as f:
            z.writestr(entry, f.read())
PY
(cd "$out" && sha256sum "$name.zip" >SHA256SUMS)
echo "dist: $out/$name.zip"
cat "$out/SHA256SUMS"
