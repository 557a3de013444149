#!/bin/bash
# Installs what building and testing need on a fresh Debian 12 machine.
# Run as root.  Packages already present are left as they are.
#
#   bash tools/setup.sh
set -eu
pkgs=(
	cmake ninja-build g++ make pkg-config
	googletest			# sources in /usr/src/googletest, built by us
	libssl-dev			# TLS line reading in the host build
	g++-mips-linux-gnu		# the router's compiler and C library
	binutils-mips-linux-gnu		# readelf/strip for the size table
	qemu-user qemu-user-static	# runs the MIPS build here
	busybox-static			# the sandbox's shell and tools
	util-linux			# unshare for the sandbox
	valgrind file
	wget				# the utility library's download tests (the real one)
	iputils-ping			# the real ping for sandbox roots (kp7box add-tool)
)

missing=()
for p in "${pkgs[@]}"; do
	dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' ||
		missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
	echo "setup.sh: missing packages: ${missing[*]}; run as root" >&2
	exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
