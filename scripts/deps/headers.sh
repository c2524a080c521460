#!/usr/bin/env bash
# Header-only libraries, staged in a folder of their own (never /usr/include on the cross build's path).
set -euo pipefail
dest=$TOLVAN_PREFIX/headers
mkdir -p "$dest/stb"
cp -r /usr/include/spdlog /usr/include/fmt /usr/include/nlohmann "$dest/"
cp /usr/include/stb/stb_image.h "$dest/stb/"
