#!/usr/bin/env bash
# Checks the rules the tree keeps: every C++ file formatted as .clang-format says
# (clang-format 14, as Debian 12 ships it) and every shell script shellcheck-clean.
# Prints each finding and exits non-zero when there is one.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1

# The tracked files; outside a git checkout, everything but build output.
files() {
    if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        git ls-files
    else
        find . -path ./build -prune -o -type f -print | sed 's|^\./||'
    fi
}

cpp=()
scripts=()
while IFS= read -r f; do
    case $f in
    *.cpp | *.h) cpp+=("$f") ;;
    *.sh) scripts+=("$f") ;;
    *) if [[ -f $f ]] && head -n 1 "$f" | grep -qE '^#!.*[/ ](ba)?sh$'; then scripts+=("$f"); fi ;;
    esac
done < <(files)

status=0
echo "clang-format: ${#cpp[@]} files"
clang-format --dry-run -Werror "${cpp[@]}" || status=1
# Sourced files name their shell in a directive; .shellcheckrc follows the sources.
echo "shellcheck: ${#scripts[@]} scripts"
shellcheck "${scripts[@]}" || status=1
exit "$status"
