#!/usr/bin/env bash
# Fails when docs/ARCHITECTURE.md names, in backticks, a repository path that does not exist: a
# map that sends the reader to a file that is gone is worse than none.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
doc="$root/docs/ARCHITECTURE.md"
if [ ! -f "$doc" ]; then
    echo "doc paths: docs/ARCHITECTURE.md is missing" >&2
    exit 1
fi
status=0
# Every backticked span; one that holds a '/' or ends like a source or doc file is a path from
# the repository's root.
while IFS= read -r span; do
    path="${span#\`}"
    path="${path%\`}"
    if [[ "$path" != */* && ! "$path" =~ \.(h|cpp|sh|md|py|txt|json|cmake)$ ]]; then
        continue
    fi
    if [ ! -e "$root/$path" ]; then
        echo "doc paths: docs/ARCHITECTURE.md names $path, which does not exist" >&2
        status=1
    fi
done < <(grep -o '`[^`]\+`' "$doc")
exit $status
