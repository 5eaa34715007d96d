#!/usr/bin/env bash
# Fails when a source folder includes a header from a folder it must not depend on.
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
exit $status
