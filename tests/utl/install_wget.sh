#!/bin/bash
# install_wget.sh ROOT: the machine's real wget replaces the sandbox's
# stand-in, with the shared libraries it needs under the same paths, so
# that it runs chrooted in ROOT.
set -eu
root=$1
wget=$(command -v wget)
cp "$wget" "$root/bin/wget.real"
for lib in $(ldd "$wget" | sed -n -e 's/.*=> \(\/[^ ]*\) (.*/\1/p' \
	-e 's/^[[:space:]]*\(\/[^ ]*\) (.*/\1/p'); do
	[ -e "$root$lib" ] && continue
	mkdir -p "$root${lib%/*}"
	cp -L "$lib" "$root$lib"
done
mv "$root/bin/wget.real" "$root/bin/wget"
