#!/usr/bin/env bash
# Checks the release folder: the installers and the zip carry the version in their names, the zip
# holds exactly the programs and README.txt (with CR LF line ends, naming the verbs and exit codes),
# SHA256SUMS lists the installers and the zip with matching checksums, and the manifests of the
# package manager in winget/ pass CheckWingetManifests.py.
#   CheckReleaseFiles.sh <release folder> <version>
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
release=$1
version=$2
setup="Kavrilon-$version-setup.exe"
zip="Kavrilon-$version-portable.zip"
msi64="Kavrilon-$version.msi"
msi86="Kavrilon-$version-x86.msi"
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

cd "$release"
[ "$(ls | sort | tr '\n' ' ')" = "$(printf '%s\n' "$setup" "$msi64" "$msi86" "$zip" SHA256SUMS winget | sort | tr '\n' ' ')" ] ||
    fail "release folder holds: $(ls | tr '\n' ' ')"

expected="KVRegShellEx.exe Kavrilon.exe KavrilonShellEx.dll KavrilonShellEx64.dll README.txt "
actual=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
[ "$actual" = "$expected" ] || fail "zip holds: $actual"

readme=$(unzip -p "$zip" README.txt)
[ -n "$readme" ] || fail "README.txt is empty"
lines=$(unzip -p "$zip" README.txt | wc -l)
[ "$(unzip -p "$zip" README.txt | grep -c $'\r$')" = "$lines" ] || fail "README.txt has lines without CR LF"
for text in "Kavrilon $version" /port /sf /rb /x "Exit codes"; do
    printf '%s' "$readme" | grep -qF -- "$text" || fail "README.txt does not mention $text"
done

[ "$(awk '{print $2}' SHA256SUMS | sort | tr '\n' ' ')" = "$(printf '%s\n' "$setup" "$msi64" "$msi86" "$zip" | sort | tr '\n' ' ')" ] ||
    fail "SHA256SUMS lists: $(awk '{print $2}' SHA256SUMS | tr '\n' ' ')"
sha256sum --strict -c SHA256SUMS || fail "checksums do not match"
# Debian's interpreter, which has the schema validator of python3-jsonschema.
/usr/bin/python3 "$here/CheckWingetManifests.py" "$release" "$version" ||
    fail "the package manager's manifests"

[ $status = 0 ] && echo "Release files of $version are complete."
exit $status
