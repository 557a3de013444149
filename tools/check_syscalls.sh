#!/bin/bash
# Lists the system calls that programs and libraries make outside the
# platform layer sys/, and fails on any that the allow-list below does not
# name.  Everything that touches a router path, a device, a terminal, a
# driver, a process or the clock goes through a sys_* wrapper, so that the
# sandbox root and the tests reach it (and nothing reaches this machine).
#
#   bash tools/check_syscalls.sh [TOP]      (default: the tree it lives in)
#
# Not checked: sys/ itself, tests/, bench/, and the sandbox's own tools,
# which stand in for the router's and may call the system directly
# (platform/sandbox/, platform/flash.cc, cfgburn.cc, mibtool.cc).
# Comments and string literals are ignored; a call is a listed name
# followed by "(" and not preceded by a letter, digit, "_", "." or "->".
set -u
top=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$top" || exit 2

# FILE:NAME pairs that may stay, each with a comment that says why, e.g.
#	utl/example.cc:ioctl	# a descriptor the caller handed in
# None today.
allowed=(
)

# Reads and writes of a descriptor are not listed: the descriptor came
# from a wrapper, which took its path under the root.  Nor are
# cfsetispeed/cfsetospeed, which only fill in a termios record.
calls='open|openat|open64|creat|fopen|freopen|stat|lstat|fstat|fstatat|stat64|lstat64|fstat64'
calls+='|opendir|access|faccessat|unlink|unlinkat|remove|rename|renameat|mkdir|mkdirat|rmdir'
calls+='|truncate|chmod|chown|lchown|symlink|link|readlink|mknod|mkfifo|mkstemp|mkostemp'
calls+='|kill|killpg|ioctl|tcsetattr|tcgetattr|tcflush|tcdrain'
calls+='|popen|pclose|system|execl|execlp|execle|execv|execvp|execve|execvpe|fexecve'
calls+='|fork|vfork|clone|flock|lockf|pread|pwrite|pread64|pwrite64'
calls+='|chdir|fchdir|chroot|mount|umount|umount2|reboot|swapon|swapoff|sethostname'
calls+='|settimeofday|stime|clock_settime|adjtimex|time|sleep|usleep|nanosleep|clock_gettime'
calls+='|gettimeofday|openlog|syslog|vsyslog|closelog|socket|init_module|delete_module'

files=$(git ls-files --cached --others --exclude-standard 2>/dev/null ||
	find . -path ./build\* -prune -o -type f -print | sed 's|^\./||')
files=$(grep -E '\.(c|cc|cpp|h|hh|hpp)$' <<<"$files" |
	grep -vE '^(sys|tests|bench|platform/sandbox)/|^platform/(flash|cfgburn|mibtool)\.cc$|^build')

# Prints FILE:LINE:NAME for every call, with comments and strings blanked.
found=$(awk -v calls="$calls" '
	FNR == 1 { in_comment = 0 }
	{
		line = $0; out = ""
		while (length(line) > 0) {
			if (in_comment) {
				end = index(line, "*/")
				if (!end) { line = ""; break }
				line = substr(line, end + 2); in_comment = 0; continue
			}
			if (match(line, /\/\*|\/\/|"|\047/)) {
				tok = substr(line, RSTART, RLENGTH)
				out = out substr(line, 1, RSTART - 1)
				line = substr(line, RSTART + RLENGTH)
				if (tok == "//") { line = ""; break }
				if (tok == "/*") { in_comment = 1; continue }
				# a string or character literal: skip to its closing quote
				while (length(line) > 0) {
					c = substr(line, 1, 1)
					if (c == "\\") { line = substr(line, 3); continue }
					line = substr(line, 2)
					if (c == tok) break
				}
				out = out " "
				continue
			}
			out = out line; line = ""
		}
		rest = out
		while (match(rest, "(^|[^A-Za-z0-9_.>])(" calls ")[ \t]*\\(")) {
			hit = substr(rest, RSTART, RLENGTH)
			sub(/^[^A-Za-z]/, "", hit)
			sub(/[ \t]*\($/, "", hit)
			print FILENAME ":" FNR ":" hit
			rest = substr(rest, RSTART + RLENGTH)
		}
	}' $files)

status=0
while IFS=: read -r file line name; do
	[ -n "$file" ] || continue
	ok=0
	for a in ${allowed[@]+"${allowed[@]}"}; do
		[ "$a" = "$file:$name" ] && ok=1 && break
	done
	if ((!ok)); then
		echo "$file:$line: $name() outside sys/: use a sys_* wrapper"
		status=1
	fi
done <<<"$found"
if ((status == 0)); then
	echo "check_syscalls: no system call outside sys/ but the allowed ones"
fi
exit $status
