#!/usr/bin/env bash
# The program calls its kind of service "teletext", in its Italian texts too: the other Italian
# name for it must not come back into any file, or any file name, of the repository.
set -euo pipefail
source_dir=${1:?usage: service-word.sh SOURCE_DIR}
# The bracket keeps this file from matching itself.
word='tele[v]ideo'
if git -C "$source_dir" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    # The tracked files as they stand in the working tree, edits included.
    found=$(
        git -C "$source_dir" grep -Iil -e "$word" || true
        git -C "$source_dir" ls-files | grep -i -e "$word" || true
    )
else
    # An unpacked source tree: everything but the build folders.
    found=$(
        grep -rIil --exclude-dir=build --exclude-dir=out -e "$word" "$source_dir" || true
        find "$source_dir" -path "$source_dir/build" -prune -o -iname "*${word}*" -print || true
    )
fi
if [ -n "$found" ]; then
    echo "FAIL: these files name the service otherwise than \"teletext\":" >&2
    sort -u <<<"$found" >&2
    exit 1
fi
echo "no file names the service otherwise than \"teletext\""
