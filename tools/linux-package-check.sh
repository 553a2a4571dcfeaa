#!/usr/bin/env bash
# Checks the Debian package that tools/package-linux.sh made (run as root):
# lintian finds no errors, apt installs it with its dependencies, the installed
# programs run on the example world and write the plugin that the build tree's
# runner writes, and removing the package leaves none of its files behind.
set -euo pipefail
cd "$(dirname "$0")/.."

package=$(ls build/brackwyn_*.deb 2>/dev/null || true)
[[ -n "$package" ]] || { echo "linux-package-check: no build/brackwyn_*.deb; run tools/package-linux.sh" >&2; exit 1; }
fail() { echo "linux-package-check: $*" >&2; exit 1; }

echo "lintian $package:"
lintian --fail-on error --info "$package" || fail "lintian reports errors"
echo "Package size: $(stat -c %s "$package") bytes; $(dpkg-deb -f "$package" Depends | sed 's/^/Depends: /')"

export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq "./$package" >/dev/null
installed=$(mktemp)
work=$(mktemp -d)
trap 'rm -rf "$installed" "$work"' EXIT
dpkg-query -L brackwyn >"$installed"

desktop-file-validate /usr/share/applications/brackwyn.desktop
/usr/bin/brackwyn-cli --version
QT_QPA_PLATFORM=offscreen /usr/bin/brackwyn --version
/usr/bin/brackwyn-example-world "$work" >/dev/null
settings=(-C "$work" --set chkCreateNormals=1 --set chkCreateTextures=1)
/usr/bin/brackwyn-cli "${settings[@]}" --set txtESP=Installed.esp >/dev/null
build/src/cli/brackwyn-cli "${settings[@]}" --set txtESP=Built.esp >/dev/null
cmp "$work/Installed.esp" "$work/Built.esp" ||
  fail "the installed runner wrote another plugin than the build tree's"

apt-get purge -y -qq brackwyn >/dev/null
left=()
while read -r path; do
  # Folders such as /usr/bin belong to other packages too and stay.
  if [[ -e $path && ! -d $path ]] || [[ -d $path && $path == */brackwyn ]]; then
    left+=("$path")
  fi
done <"$installed"
((${#left[@]} == 0)) || fail "left after removing the package: ${left[*]}"
echo "The package installs, runs and removes cleanly."
