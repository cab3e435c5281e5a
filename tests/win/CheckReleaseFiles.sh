#!/usr/bin/env bash
# Checks the release folder: the three files carry the version in their names, the zip holds
# exactly the programs and README.txt (with CR LF line ends, naming the verbs and exit codes), and
# SHA256SUMS lists both files with matching checksums.
#   CheckReleaseFiles.sh <release folder> <version>
set -euo pipefail
release=$1
version=$2
setup="Kavrilon-$version-setup.exe"
zip="Kavrilon-$version-portable.zip"
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

cd "$release"
[ "$(ls | sort | tr '\n' ' ')" = "$(printf '%s\n' "$setup" "$zip" SHA256SUMS | sort | tr '\n' ' ')" ] ||
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

[ "$(awk '{print $2}' SHA256SUMS | sort | tr '\n' ' ')" = "$(printf '%s\n' "$setup" "$zip" | sort | tr '\n' ' ')" ] ||
    fail "SHA256SUMS lists: $(awk '{print $2}' SHA256SUMS | tr '\n' ' ')"
sha256sum --strict -c SHA256SUMS || fail "checksums do not match"

[ $status = 0 ] && echo "Release files of $version are complete."
exit $status
