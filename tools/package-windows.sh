#!/usr/bin/env bash
# Makes build-windows/brackwyn-<version>-windows-x64.zip: the window, the
# Windows runner, the example-world maker, a README for Windows users and the
# licences, in one folder.
# Cross-builds first when the .exe files are missing (see windows-check.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

build=build-windows
version=$(sed -n 's/^project(Brackwyn VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[[ -n "$version" ]] || { echo "package-windows: no version in CMakeLists.txt's project()" >&2; exit 1; }
programs=("$build/src/win32/brackwyn.exe" "$build/src/cli/brackwyn-cli.exe"
  "$build/tools/make_example_world.exe")

for program in "${programs[@]}"; do
  if [[ ! -f $program ]]; then
    cmake --preset windows >/dev/null
    cmake --build "$build" -j "$(nproc)" --target brackwyn-win32 brackwyn-cli make_example_world
    break
  fi
done

name="brackwyn-$version-windows-x64"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/$name"
for program in "${programs[@]}"; do
  x86_64-w64-mingw32-strip -o "$stage/$name/$(basename "$program")" "$program"
done
# Notepad before Windows 10 shows LF-only text as one long line.
sed -e "s/@VERSION@/$version/" -e 's/$/\r/' docs/README-windows.txt >"$stage/$name/README-windows.txt"
sed -e 's/$/\r/' LICENSE >"$stage/$name/LICENSE.txt"
sed -e 's/$/\r/' THIRD-PARTY.txt >"$stage/$name/THIRD-PARTY.txt"

zip_file="$PWD/$build/$name.zip"
rm -f "$zip_file"
(cd "$stage" && zip -q -r -X "$zip_file" "$name")
echo "Packaged $zip_file"
