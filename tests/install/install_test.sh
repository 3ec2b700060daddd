#!/usr/bin/env bash
# orvane installed by `cmake --install` into a prefix then moved, and from its .deb, the build's module out of reach.
set -euo pipefail  # usage: install_test.sh BUILD_FOLDER
build=$(realpath "$1") picture=$(realpath "$(dirname "$0")/../data/coffee.png") work=$(mktemp -d) && unset ORVANE_MODULE
trap 'mv -n "$work/module.so" "$build/OrvaneBrightnessContrast.so" 2>/dev/null; rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >/dev/null; cpack --config "$build/CPackConfig.cmake" -B "$work/deb" >/dev/null
mv "$work/prefix" "$work/moved"; mv "$build/OrvaneBrightnessContrast.so" "$work/module.so"
check() {  # the program and its module, the man page's parameters, completion of a parameter name
    "$1/bin/orvane" --version; "$1/bin/orvane" render --set Brightness=30 "$picture" "$work/out.png"
    zgrep -q '^ 4  Mix with Original$' "$1/share/man/man1/orvane.1.gz"; . "$1/share/bash-completion/completions/orvane"
    COMP_WORDS=("$1/bin/orvane" render --set mix) COMP_CWORD=3; _orvane || :; [ "${COMPREPLY[*]}" = 'Mix\ with\ Original=' ]; }
check "$work/moved"; lintian --fail-on error "$work"/deb/orvane_*.deb; dpkg -i "$work"/deb/orvane_*.deb >/dev/null; check /usr
dpkg -L orvane >"$work/files"; apt-get purge -y -qq orvane >/dev/null  # then no file of it is left
while read -r f; do [ ! -e "$f" ] || { [ -d "$f" ] && [ -n "$(ls -A "$f")" ]; } || { echo "left: $f" >&2; exit 1; }; done <"$work/files"
