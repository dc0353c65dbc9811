#!/bin/sh
# Checks the shape of the source tree that reviews keep asking for:
#  1. the distributor neither includes nor links the serial layer;
#  2. in src/, Linux system headers and errno appear only in the platform files (Posix*);
#  3. no function in src/ or tools/ is longer than 60 lines (universal-ctags finds them).
# Prints what is wrong and exits 1, or exits 0 quietly.
set -eu
cd "$(dirname "$0")/.."
status=0

if grep -rn '#include "serial/' src/distributor >/dev/null ||
    grep -n 'serial' src/distributor/CMakeLists.txt | grep -v '^\s*#' | grep -q link; then
    echo "src/distributor uses the serial layer:"
    grep -rn '#include "serial/' src/distributor || true
    status=1
fi

# System headers that belong behind the device and platform seams.
system_headers='#include <(poll\.h|unistd\.h|sys/[^>]*|termios\.h|linux/[^>]*|asm/[^>]*|fcntl\.h|libudev\.h)>'
hits=$(find src -name '*.cpp' -o -name '*.h' | grep -v '/Posix[^/]*$' | sort |
    xargs grep -nE "$system_headers" || true)
# errno in code, not in comments.
errno_hits=$(find src -name '*.cpp' -o -name '*.h' | grep -v '/Posix[^/]*$' | sort |
    xargs grep -nE '\berrno\b' | grep -vE ':[0-9]+:\s*//' | grep -vE '//.*\berrno\b' || true)
if [ -n "$hits$errno_hits" ]; then
    echo "System headers or errno outside the platform files (Posix*):"
    printf '%s\n' "$hits" "$errno_hits" | sed '/^$/d; s/^/    /'
    status=1
fi

if ! command -v ctags >/dev/null 2>&1; then
    echo "ctags (universal-ctags) is missing: run scripts/deps.sh" >&2
    exit 1
fi
long=$(ctags --languages=C++ --kinds-C++=f --fields=+ne --extras=-F -o - -R src tools |
    awk -F'\t' '{
        l = ""; e = "";
        for (i = 4; i <= NF; i++) {
            if ($i ~ /^line:/) l = substr($i, 6);
            if ($i ~ /^end:/) e = substr($i, 5);
        }
        if (l != "" && e != "" && e - l + 1 > 60) printf "    %s:%s %s (%d lines)\n", $2, l, $1, e - l + 1;
    }' | sort)
if [ -n "$long" ]; then
    echo "Functions longer than 60 lines:"
    printf '%s\n' "$long"
    status=1
fi
exit $status
