#!/bin/bash
# layout.sh BUILD_DIR CMAKE: the router's install holds the router's
# programs and nothing else; the sandbox component holds the development
# sandbox (kp7box, its tools, the stand-ins for the router's flash tools).
set -u
build=$1 cmake=$2
dir=$(mktemp -d /tmp/kp7install.XXXXXX) || exit 1
trap 'rm -rf "$dir"' EXIT
listing() { (cd "$1" && find . -type f -o -type l | sed 's|^\./||' | sort | tr '\n' ' '); }

"$cmake" --install "$build" --prefix "$dir/router" >/dev/null || exit 1
"$cmake" --install "$build" --prefix "$dir/sandbox" --component sandbox >/dev/null || exit 1
router=$(listing "$dir/router") sandbox=$(listing "$dir/sandbox")
echo "router: $router"
echo "sandbox: $sandbox"
rc=0
for f in $router; do
	case $f in
	bin/kp7cui | bin/syscheck | bin/romfetch | bin/mdmprobe | bin/mdmsetup) ;;
	*) echo "FAIL: $f is installed with the router's programs (a tool that does not ship: kp7_program(NAME SANDBOX ...))"; rc=1 ;;
	esac
done
[[ " $router " == *" bin/kp7cui "* ]] || { echo "FAIL: kp7cui is not installed"; rc=1; }
for f in bin/kp7box bin/kp7init bin/kp7sh bin/kp7standin bin/flash bin/cfgburn bin/mibtool; do
	[[ " $sandbox " == *" $f "* ]] || { echo "FAIL: $f is not in the sandbox component"; rc=1; }
done
[[ " $sandbox " != *" bin/kp7cui "* ]] || { echo "FAIL: kp7cui is in the sandbox component"; rc=1; }
exit $rc
