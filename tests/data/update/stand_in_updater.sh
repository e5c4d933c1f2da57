#!/bin/sh
# Stands in for an external updater: records how it was called and what it was given.
dir=$(dirname "$0")
name=$(basename "$0")
: > "$dir/args-$name.txt"
for a in "$@"; do printf '%s\n' "$a" >> "$dir/args-$name.txt"; done
if [ -f "$dir/Ethernet_Update.xml" ]; then cp "$dir/Ethernet_Update.xml" "$dir/job-copy.xml"; fi
if [ -f "$dir/updater-sleep" ]; then sleep "$(cat "$dir/updater-sleep")"; fi
touch "$dir/done-$name"
