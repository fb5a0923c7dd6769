#!/usr/bin/env bash
# Turns the operator's manual (docs/manual.md) into the rich-text file the help window shows
# (resources/ravenmarkhelpfile.rtf). Run it after editing the manual and commit both files.
#
#   scripts/make-manual.sh
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v pandoc >/dev/null; then
    echo "make-manual.sh: pandoc is needed (apt-get install pandoc)" >&2
    exit 1
fi
pandoc --standalone --from markdown --to rtf --output resources/ravenmarkhelpfile.rtf docs/manual.md
echo "wrote resources/ravenmarkhelpfile.rtf"
