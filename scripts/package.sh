#!/usr/bin/env bash
# Builds the release from this checkout and writes it into build/release/:
#   Kavrilon-<version>-setup.exe, Kavrilon-<version>.msi (64-bit Windows),
#   Kavrilon-<version>-x86.msi (32-bit Windows), Kavrilon-<version>-portable.zip, SHA256SUMS and
#   winget/ (the manifests of the Windows package manager for these files).
# The version is the project version in CMakeLists.txt; the manifests name the download address
# in the CMake setting KV_DOWNLOAD_URL, which KV_DOWNLOAD_URL in the environment sets.
# Installs the packages it needs when missing.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

"$root/scripts/install-deps.sh"

release="$root/build/release"
# Nothing of an earlier release (another version) stays beside the new files.
rm -rf "$release"
cmake --preset windows -DKV_RELEASE_DIR="$release" ${KV_DOWNLOAD_URL:+-DKV_DOWNLOAD_URL="$KV_DOWNLOAD_URL"} >/dev/null
cmake --build --preset windows --target release

echo
echo "Release in $release:"
(cd "$release" && ls -l . winget && sha256sum -c SHA256SUMS)
