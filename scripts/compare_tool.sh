#!/bin/sh
# Runs info, decode, to4bit and copy over every file of a BMP corpus through two builds of
# gliffo-tool and reports every difference in exit status, messages or written bytes.
# usage: scripts/compare_tool.sh NEW_TOOL REFERENCE_TOOL CORPUS_DIR
set -u
new=$1 ref=$2 corpus=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
files=0 differences=0
for f in $(find "$corpus" -type f -name '*.bmp' | sort); do
  files=$((files + 1))
  for cmd in info decode to4bit copy; do
    for side in new ref; do
      eval tool=\$$side
      out="$work/$side.out"
      rm -f "$out"
      if [ "$cmd" = info ]; then
        "$tool" info "$f" >"$work/$side.stdout" 2>"$work/$side.stderr"
      else
        "$tool" "$cmd" "$f" "$out" >"$work/$side.stdout" 2>"$work/$side.stderr"
      fi
      echo $? >"$work/$side.rc"
      [ -f "$out" ] && cat "$out" >>"$work/$side.stdout"
    done
    for part in rc stdout stderr; do
      if ! cmp -s "$work/new.$part" "$work/ref.$part"; then
        echo "DIFFERENT $part: $cmd $f"
        differences=$((differences + 1))
      fi
    done
  done
done
echo "$files files, 4 commands each, $differences differences"
[ "$differences" -eq 0 ]
