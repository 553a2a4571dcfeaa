#!/usr/bin/env bash
# The Windows half of CI: cross-builds the window, the runner and the portable
# tests for 64-bit Windows (preset "windows"), runs the tests under Wine, then
# runs the Windows runner on the example world (objects off; objects on;
# normals and textures on) and checks that every plugin is byte for byte the
# Linux one; exports the example plugin to a heightmap with both runners and
# runs both from a 16-bit PNG and from a RAW heightmap; last, the window's
# tests and a run of the window by keyboard.
# Needs the Linux build in build/ (tools/run-tests.sh makes it) and the
# packages of tools/install-dependencies.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

linux_cli=build/src/cli/brackwyn-cli
linux_world_maker=build/tools/make_example_world
for program in "$linux_cli" "$linux_world_maker"; do
  [[ -x $program ]] || { echo "windows-check: $program is missing; run tools/run-tests.sh first" >&2; exit 1; }
done

# Only the POSIX halves of the platform files may include POSIX headers or
# read POSIX clocks; everything else must build for Windows too (the Qt
# window included, which is not cross-built here).
posix_calls=$(grep -rlE '#include <(unistd|fcntl|poll|termios|spawn|signal|pthread|time)\.h>|#include <sys/|clock_gettime|CLOCK_MONOTONIC' src |
  grep -vE '_posix\.cpp$' || true)
if [[ -n $posix_calls ]]; then
  echo "windows-check: POSIX headers or calls outside the POSIX platform files:" $posix_calls >&2
  exit 1
fi

seconds_since() { echo "$(date +%s.%N) $1" | awk '{printf "%.1f", $1 - $2}'; }

start=$(date +%s.%N)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake --preset windows "${launcher[@]}" >/dev/null
cmake --build build-windows -j "$(nproc)"
echo "Cross build: $(seconds_since "$start") s"

# Wine in a prefix of its own that goes away afterwards, drawing on a virtual
# X display so that the window's tests and the keyboard check below have
# somewhere to draw. One wineserver serves every start, so each start costs a
# fraction of a second.
start=$(date +%s.%N)
scratch=$(mktemp -d /tmp/brackwyn-windows-check.XXXXXX)
export WINEPREFIX=$scratch/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
Xvfb -displayfd 3 -screen 0 1600x1000x24 -nolisten tcp 3>"$scratch/display" 2>/dev/null &
xvfb=$!
cleanup() {
  wineserver -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
for _ in $(seq 100); do [[ -s $scratch/display ]] && break; sleep 0.1; done
export DISPLAY=:$(cat "$scratch/display")
mkdir -p "$WINEPREFIX"
wineserver -p  # before anything else starts one that would end after 3 idle seconds
wine wineboot --init >/dev/null 2>&1
echo "Wine prefix: $(seconds_since "$start") s"

# Runs a test program under Wine and lists what passed; 1 when it failed.
run_tests() {
  local tests=$1 start log
  start=$(date +%s.%N)
  log=$scratch/$(basename "$tests" .exe).log
  # A fresh prefix sometimes fails a program's first start without a word;
  # only a program that never printed a line of its own is started again.
  if wine "$tests" >"$log" 2>&1 ||
    { ! grep -q '^\[==========\]' "$log" &&
      echo "$(basename "$tests") did not start under Wine; starting it again" &&
      wine "$tests" >"$log" 2>&1; }; then
    echo "$(basename "$tests") under Wine ($(seconds_since "$start") s):"
    tr -d '\r' <"$log" | grep -E '^\[ *(PASSED|SKIPPED) *\]|^\[==========\] [0-9]+ tests? from' |
      grep -vE ' \([0-9]+ ms\)$' | sed 's/^/  /'
  else
    cat "$log"
    echo "windows-check: $(basename "$tests") failed under Wine" >&2
    return 1
  fi
}

failed=0
for tests in build-windows/tests/brackwyn_tests.exe build-windows/tests/cli/brackwyn_cli_tests.exe; do
  run_tests "$tests" || failed=1
done
((failed == 0)) || exit 1

# The example world, from both makers; the plugins are compared on the Linux
# maker's world so that a difference can only come from the runner.
"$linux_world_maker" "$scratch/example" >/dev/null
(cd "$scratch" && wine "$OLDPWD/build-windows/tools/make_example_world.exe" windows-example >/dev/null)
if diff -rq "$scratch/example" "$scratch/windows-example" >/dev/null; then
  echo "make_example_world.exe writes the same example world as make_example_world"
else
  echo "windows-check: make_example_world.exe and make_example_world write different worlds:" >&2
  diff -rq "$scratch/example" "$scratch/windows-example" >&2 || true
  exit 1
fi

windows_cli=$PWD/build-windows/src/cli/brackwyn-cli.exe
# name: the settings of the run
declare -A runs=(
  [objects-off]="--set chkCreateObjects=0"
  [objects-on]="--set chkCreateObjects=1"
  [normals-textures-on]="--set chkCreateNormals=1 --set chkCreateTextures=1"
)
for name in objects-off objects-on normals-textures-on; do
  read -ra settings <<<"${runs[$name]}"
  for system in linux windows; do
    world=$scratch/$system-$name
    cp -al "$scratch/example" "$world"  # links: the runners only read the bitmaps
    start=$(date +%s.%N)
    if [[ $system == linux ]]; then
      "$linux_cli" -C "$world" "${settings[@]}" >"$world.log" 2>&1
    else
      (cd "$world" && wine "$windows_cli" "${settings[@]}") >"$world.log" 2>&1
    fi || {
      status=$?
      cat "$world.log"
      echo "windows-check: the $system runner failed ($name), exit status $status" >&2
      if [[ $system == windows ]]; then
        # Wine runs silent above; a crash says more with its own messages.
        echo "windows-check: the same run again, with Wine's errors and exceptions:" >&2
        (cd "$world" && WINEDEBUG=err+all,+seh wine "$windows_cli" "${settings[@]}") 2>&1 |
          tail -n 200 >&2 || true
      fi
      exit 1
    }
    echo "$system runner, $name: $(seconds_since "$start") s"
  done
  if cmp "$scratch/linux-$name/Brackwyn.esp" "$scratch/windows-$name/Brackwyn.esp"; then
    echo "$name: the Windows and Linux plugins are identical" \
      "($(stat -c %s "$scratch/linux-$name/Brackwyn.esp") bytes)"
  else
    echo "windows-check: $name: the Windows plugin differs from the Linux one" >&2
    exit 1
  fi
done

# The inspector reads the plugin as on Linux, and the preview and --image
# pictures are written (by stb_image_write there, so not byte for byte).
world=$scratch/windows-objects-on
(cd "$scratch/linux-objects-on" && "$OLDPWD/$linux_cli" inspect Brackwyn.esp) >"$scratch/linux-inspect.txt"
(cd "$world" && wine "$windows_cli" inspect Brackwyn.esp --image land.png) | tr -d '\r' >"$scratch/windows-inspect.txt" ||
  { echo "windows-check: the Windows runner's inspect failed" >&2; exit 1; }
(cd "$world" && wine "$windows_cli" --set chkCreateObjects=1 --preview preview.png) >/dev/null ||
  { echo "windows-check: the Windows runner failed with --preview" >&2; exit 1; }
grep -v "^Wrote " "$scratch/windows-inspect.txt" | diff "$scratch/linux-inspect.txt" - >&2 ||
  { echo "windows-check: inspect describes the plugin differently on Windows" >&2; exit 1; }
for picture in land.png preview.png; do
  [[ $(head -c 8 "$world/$picture" | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a ]] ||
    { echo "windows-check: $picture from the Windows runner is not a PNG picture" >&2; exit 1; }
done
echo "inspect reads the plugin as on Linux; --preview and inspect --image write PNG pictures"

# Export: both runners write heightmaps of the same heights (libpng's PNG on
# Linux, our own writer's on Windows), and both build the same plugin from a
# 16-bit PNG and from a RAW heightmap.
world=$scratch/linux-objects-off
"$linux_cli" -C "$world" export Brackwyn.esp --heightmap linux.png >"$scratch/linux-export.txt"
"$linux_cli" -C "$world" export Brackwyn.esp --heightmap land.r16 >/dev/null
(cd "$world" && wine "$windows_cli" export Brackwyn.esp --heightmap windows.png) | tr -d '\r' >"$scratch/windows-export.txt" ||
  { echo "windows-check: the Windows runner's export failed" >&2; exit 1; }
for system in linux windows; do
  convert "$world/$system.png" -depth 16 gray:"$scratch/$system-heights.raw"
done
cmp "$scratch/linux-heights.raw" "$scratch/windows-heights.raw" ||
  { echo "windows-check: the heightmaps that export writes on Windows and Linux differ" >&2; exit 1; }
[[ $(identify -format '%[depth] %[colorspace]' "$world/windows.png") == "16 Gray" ]] ||
  { echo "windows-check: the Windows export is not a 16-bit gray PNG" >&2; exit 1; }
echo "export writes heightmaps of the same heights on Windows and Linux"
read -ra rebuild < <(grep -- '--set chkHeightmap' "$scratch/linux-export.txt")
for heightmap in linux.png land.r16; do
  settings=("${rebuild[@]}" --set "txtHeightmap=$heightmap")
  "$linux_cli" -C "$world" "${settings[@]}" --set txtESP=linux-from-map.esp >/dev/null
  (cd "$world" && wine "$windows_cli" "${settings[@]}" --set txtESP=windows-from-map.esp) >/dev/null ||
    { echo "windows-check: the Windows runner failed from $heightmap" >&2; exit 1; }
  cmp "$world/linux-from-map.esp" "$world/windows-from-map.esp" ||
    { echo "windows-check: from $heightmap the Windows plugin differs from the Linux one" >&2; exit 1; }
  cmp "$world/linux-from-map.esp" "$world/Brackwyn.esp" ||
    { echo "windows-check: the plugin from $heightmap differs from the one exported" >&2; exit 1; }
  echo "from $heightmap: the Windows and Linux plugins are identical, and the exported one's"
done

# The window's tests, on the example world, against the Linux runner's plugins.
mkdir "$scratch/cli-plugins"
ln "$scratch/linux-objects-off/Brackwyn.esp" "$scratch/cli-plugins/objects-off.esp"
ln "$scratch/linux-objects-on/Brackwyn.esp" "$scratch/cli-plugins/objects-on.esp"
BRACKWYN_EXAMPLE_WORLD="Z:$scratch/example" BRACKWYN_CLI_PLUGINS="Z:$scratch/cli-plugins" \
  run_tests build-windows/tests/win32/brackwyn_win32_tests.exe || exit 1

# The window as a person uses it: brackwyn.exe started on a folder (as when
# the folder is dropped onto it), Alt+C, the completion box, Alt+F4. Work
# files left by an earlier run must be gone once the window has closed.
world=$scratch/keyboard
cp -al "$scratch/example" "$world"
for name in Base.dat Top.dat Objects.dat FRMR.dat; do echo left >"$world/$name"; done
start=$(date +%s.%N)
wine "$PWD/build-windows/src/win32/brackwyn.exe" "Z:$world" &
window_program=$!
keyboard_fail() {
  echo "windows-check: keyboard check: $1" >&2
  kill "$window_program" 2>/dev/null || true
  exit 1
}
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Brackwyn [0-9.]+$' | head -n 1) ||
  keyboard_fail "the window did not appear"
xdotool windowfocus --sync "$window"
xdotool key alt+c
timeout 120 xdotool search --sync --onlyvisible --name '^Brackwyn$' >/dev/null ||
  keyboard_fail "Alt+C brought no completion box"
import -window root "$scratch/completion.png" 2>/dev/null && cp "$scratch/completion.png" build-windows/window-completion.png
cmp "$world/Brackwyn.esp" "$scratch/linux-objects-off/Brackwyn.esp" ||
  keyboard_fail "the window's plugin differs from the runner's"
xdotool key Return  # closes the box
sleep 0.5
xdotool windowfocus --sync "$window"
xdotool key alt+F4
timeout 30 tail --pid="$window_program" -f /dev/null || keyboard_fail "Alt+F4 did not close the window"
for name in Base.dat Top.dat Objects.dat FRMR.dat; do
  [[ ! -e $world/$name ]] || keyboard_fail "the work file $name is still there after closing"
done
echo "brackwyn.exe with the keyboard: Alt+C wrote the runner's plugin, Alt+F4 removed the work" \
  "files ($(seconds_since "$start") s; the completion box is in build-windows/window-completion.png)"
