#!/usr/bin/env bash
# Sets everything up and starts the editor on a working copy of the bundled sample
# project in work/. The texts are copied once: later runs and rebuilds keep your edits.
set -euo pipefail
cd "$(dirname "$0")/.."
# Only what it starts: the editor, its font, and loctool with the sample it packs.
scripts/setup.sh zazovi zazovi_font loctool sample_project
mkdir -p work
if [ ! -d work/Texts ] && [ -d build/sample/Texts ]; then cp -r build/sample/Texts build/sample/Descriptions work/; fi
cp build/zazovi work/zazovi
if [ -f build/zazovi_font.dsf ]; then cp build/zazovi_font.dsf work/; fi
exec work/zazovi
