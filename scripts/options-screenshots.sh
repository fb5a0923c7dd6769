#!/usr/bin/env bash
# Writes docs/screenshots/options-<page>.png: the options dialog on each of its pages, on the default
# settings with a home picture, drawn offscreen with the Liberation fonts.
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ ! -f build/CMakeCache.txt ]]; then
    scripts/build.sh build -DRAVENMARK_BUILD_TESTS=ON
fi
cmake --build build --target tst_optionsdialog
RAVENMARK_SCREENSHOT_DIR=docs/screenshots QT_QPA_PLATFORM=offscreen \
    build/tests/tst_optionsdialog pagesRender
