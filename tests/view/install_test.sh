#!/usr/bin/env bash
# The installed tree: cmake --install into a temporary prefix puts every file
# in its standard place, the desktop entry is valid, and the installed program
# started from an unrelated folder seeds the per-user data from the installed
# defaults. Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'kill "${pid:-0}" 2>/dev/null || true; rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAILED: $*"; exit 1; }
for f in bin/qorvel share/applications/qorvel.desktop share/qorvel/Data/Settings.QVS \
         share/icons/hicolor/48x48/apps/qorvel.png share/icons/hicolor/256x256/apps/qorvel.png \
         share/icons/hicolor/scalable/apps/qorvel.svg; do
  [ -e "$prefix/$f" ] || fail "$f is not installed"
done
desktop-file-validate "$prefix/share/applications/qorvel.desktop" || fail "the desktop entry is not valid"
grep -q '^Exec=qorvel %U$' "$prefix/share/applications/qorvel.desktop" || fail "Exec"
grep -q '^MimeType=inode/directory;$' "$prefix/share/applications/qorvel.desktop" || fail "MimeType"

# Started from the menu: the working folder holds no Data/, nor does bin/.
mkdir -p "$work/home" "$work/runtime" "$work/elsewhere"
chmod 700 "$work/runtime"
cd "$work/elsewhere"
HOME=$work/home XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=offscreen \
  DBUS_SESSION_BUS_ADDRESS=disabled: "$prefix/bin/qorvel" >"$work/log" 2>&1 &
pid=$!
for _ in $(seq 1 100); do
  [ -f "$work/data/qorvel/Data/Settings.QVS" ] && [ -S "$work/runtime/qorvel-instance" ] && break
  sleep 0.1
done
[ -f "$work/data/qorvel/Data/Settings.QVS" ] || { cat "$work/log"; fail "the user data was not seeded"; }
cmp -s "$prefix/share/qorvel/Data/Settings.QVS" "$work/data/qorvel/Data/Settings.QVS" || fail "seeded data differs"
# A second start hands over to it and ends at once.
XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=offscreen DBUS_SESSION_BUS_ADDRESS=disabled: \
  timeout 10 "$prefix/bin/qorvel" "$work/elsewhere" || fail "the second start did not hand over"
kill -TERM "$pid"
wait "$pid" || true
echo "install tree: all good"
