#!/usr/bin/env bash
# Fails when a source folder includes a header from a folder it must not depend on, or when two
# files (a header and its source count as one) include each other.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../src"
declare -A allowed=(
    [base]="base" [win]="base win" [storage]="base storage" [sync]="base storage sync"
    [saving]="base storage sync saving"
    [notes]="base win notes" [render]="base win render" [ui]="base win ui"
    [app]="base win storage sync saving notes render ui app"
)
status=0
for folder in "${!allowed[@]}"; do
    while IFS=: read -r file used; do
        if [[ " ${allowed[$folder]} " != *" $used "* ]]; then
            echo "layering: $file includes from $used/" >&2
            status=1
        fi
    done < <(grep -oE '#include "[a-z_]+/' -r "$folder" | sed -E 's|#include "([a-z_]+)/|\1|')
done
# Each edge as "includer included", both without the extension.
circles=$(grep -oE '^#include "[a-z_]+/[a-z_0-9]+\.h"' -r --include='*.h' --include='*.cpp' . |
    sed -E 's|^\./([^.]+)\.[a-z]+:#include "([^.]+)\.h"|\1 \2|' | awk '$1 != $2' | sort -u |
    awk '{ edge[$1 " " $2] = 1 } END { for (e in edge) { split(e, p, " ");
        if ((p[2] " " p[1]) in edge && p[1] < p[2]) print p[1] " and " p[2] } }')
if [ -n "$circles" ]; then
    echo "include circle: $circles" >&2
    status=1
fi
exit $status
