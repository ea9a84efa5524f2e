# Sourced by the benchmarks: a fresh work folder holding a copy of the target fixture named $1,
# closed and removed again when the script ends. Sets work, target, target_win and winpath.
work=$(mktemp -d /tmp/tavrisol-bench.XXXXXX)
winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }
target="$work/$1"
cp "$build/target.exe" "$target"
target_win=$(winpath "$target")
cleanup() {
  timeout -k 5 30 wine "$build/winrect.exe" close "$target_win" >/dev/null 2>&1 </dev/null
  rm -rf "$work"
}
trap cleanup EXIT
