#!/usr/bin/env bash
# Regenerates the shipped problem files from their UTF-8 sources:
#   assets/problems/exam1.txt … exam5.txt      -> data/exam1.ksd … exam5.ksd
#   assets/problems/practice/<name>.txt         -> data/practice/<name>.ksd
# with the headers listed in assets/problems/practice/manifest.tsv.
#
# Usage: tools/make_problems.sh [KSDTOOL [OUTDIR]]
#   KSDTOOL  the built ksdtool (default: build/app/ksdtool)
#   OUTDIR   where exam*.ksd and practice/ are written (default: data)
#
# The files are committed byte for byte, so every one is made by ksdtool from
# its source and then checked with the shipped romaji table; any error or
# warning stops the script with a non-zero status.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
tool="${1:-$root/build/app/ksdtool}"
out="${2:-$root/data}"
table="$root/data/roumazi.dat"
sources="$root/assets/problems"
manifest="$sources/practice/manifest.tsv"

fail() {
    echo "make_problems: $*" >&2
    exit 1
}

[[ -x "$tool" ]] || fail "ksdtool not found at $tool (build it, or pass its path)"
[[ -f "$table" ]] || fail "romaji table not found: $table"
[[ -f "$manifest" ]] || fail "manifest not found: $manifest"
mkdir -p "$out/practice"

# check prints exactly "OK" for a file with no finding; a warning is as bad as
# an error here, since it means a problem the player cannot type as written.
# The files are played from the built game beside the tool, which holds the
# targets and sounds they name.
game="$(dirname "$tool")"
check() {
    local kind="$1" file="$2" report
    if ! report="$("$tool" check --table "$table" --game "$game" "$kind" "$file")" ||
        [[ "$report" != "OK" ]]; then
        printf '%s\n' "$report" >&2
        fail "check found problems in $file"
    fi
}

for n in 1 2 3 4 5; do
    "$tool" make --table "$table" --exam "$sources/exam$n.txt" -o "$out/exam$n.ksd" ||
        fail "cannot make exam$n.ksd"
    check --exam "$out/exam$n.ksd"
done

declare -A listed=()
while IFS=$'\t' read -r name title level count time font assets author extra; do
    [[ -z "$name" || "$name" == \#* ]] && continue
    [[ -n "$author" && -z "${extra:-}" ]] || fail "manifest line for '$name' needs exactly 8 fields"
    [[ -z "${listed[$name]:-}" ]] || fail "manifest lists $name twice"
    listed[$name]=1
    src="$sources/practice/$name.txt"
    [[ -f "$src" ]] || fail "manifest names $name but $src does not exist"
    "$tool" make --table "$table" --practice --title "$title" --level "$level" \
        --count "$count" --time "$time" --font "$font" --assets "$assets" --author "$author" \
        "$src" -o "$out/practice/$name.ksd" || fail "cannot make practice/$name.ksd"
    check --practice "$out/practice/$name.ksd"
done <"$manifest"

# A source without a header line would silently never ship, and a shipped file
# without a source could never be regenerated: both are mistakes.
shopt -s nullglob
for src in "$sources"/practice/*.txt; do
    name="$(basename "$src" .txt)"
    [[ -n "${listed[$name]:-}" ]] || fail "$src has no line in $manifest"
done
for made in "$out"/practice/*.ksd; do
    name="$(basename "$made" .ksd)"
    [[ -n "${listed[$name]:-}" ]] || fail "$made has no source; remove it or add one"
done
(( ${#listed[@]} > 0 )) || fail "manifest lists no practice file"
