#!/usr/bin/env bash
# Builds the release from this checkout and writes it into build/release/:
#   Kavrilon-<version>-setup.exe, Kavrilon-<version>-portable.zip and SHA256SUMS.
# The version is the project version in CMakeLists.txt. Installs the packages it needs when missing.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

"$root/scripts/install-deps.sh"

release="$root/build/release"
# Nothing of an earlier release (another version) stays beside the new files.
rm -rf "$release"
cmake --preset windows -DKV_RELEASE_DIR="$release" >/dev/null
cmake --build --preset windows --target release

echo
echo "Release in $release:"
(cd "$release" && ls -l && sha256sum -c SHA256SUMS)
