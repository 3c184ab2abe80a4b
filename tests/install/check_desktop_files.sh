#!/usr/bin/env bash
# The desktop entry, the metainfo and the manual page pass their validators, and the manual
# page documents exactly the options that --help lists.
set -euo pipefail
quorvex=$1
data=$2
fail=0

desktop-file-validate "$data/org.quorvex.Quorvex.desktop" || fail=1
grep -qx 'Exec=quorvex %F' "$data/org.quorvex.Quorvex.desktop" || { echo "Exec must take folders (%F)"; fail=1; }
grep -q '^MimeType=.*inode/directory;' "$data/org.quorvex.Quorvex.desktop" || { echo "no inode/directory"; fail=1; }
appstreamcli validate --no-net "$data/org.quorvex.Quorvex.metainfo.xml" || fail=1

lint=$(mandoc -Tlint -Wwarning "$data/quorvex.1" 2>&1 || true)
if [ -n "$lint" ]; then echo "mandoc: $lint"; fail=1; fi

# Options are the words that start with "--" in the option lists: two spaces, then the option.
help_options=$("$quorvex" --help | sed -n 's/^  \(--[a-z-]*\).*/\1/p' | sort -u)
man_options=$(sed -n '/^\.SH OPTIONS/,/^\.SH /{/^\.TP/{n;s/^\.BI\{0,1\} \(\\-\\-[a-z\\-]*\).*/\1/p}}' \
    "$data/quorvex.1" | sed 's/\\-/-/g' | sort -u)
if [ "$help_options" != "$man_options" ]; then
    echo "The manual page's options differ from --help:"
    diff <(printf '%s\n' "$help_options") <(printf '%s\n' "$man_options") || true
    fail=1
fi
[ -n "$help_options" ] || { echo "no options read from --help"; fail=1; }
exit $fail
