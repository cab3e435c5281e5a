"""Checks the package manager's manifests of a release: each validates against
WingetManifestSchema.json, the three name one package and version, and the installers they list
are the release's files (by name and checksum), the setup program for both scopes and each Windows
Installer package for the machine's scope with its own product code.

    CheckWingetManifests.py <release folder> <version>
"""
import hashlib
import json
import os
import subprocess
import sys

import jsonschema
import yaml

release, version = sys.argv[1], sys.argv[2]
folder = os.path.join(release, "winget")
failures = []


def fail(text):
    failures.append(text)


with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "WingetManifestSchema.json")) as f:
    schema = json.load(f)

manifests = {}
for name in sorted(os.listdir(folder)):
    with open(os.path.join(folder, name), encoding="utf-8") as f:
        manifest = yaml.safe_load(f)
    kind = manifest.get("ManifestType") if isinstance(manifest, dict) else None
    if kind not in ("version", "installer", "defaultLocale") or kind in manifests:
        fail(f"{name}: unexpected manifest type {kind!r}")
        continue
    validator = jsonschema.Draft202012Validator({"$ref": f"#/$defs/{kind}", "$defs": schema["$defs"]})
    for error in validator.iter_errors(manifest):
        fail(f"{name}: {'/'.join(map(str, error.absolute_path))}: {error.message}")
    manifests[kind] = (name, manifest)

if sorted(manifests) != ["defaultLocale", "installer", "version"]:
    fail(f"manifests found: {sorted(manifests)}")
else:
    identifier = manifests["version"][1]["PackageIdentifier"]
    expected_names = {"version": f"{identifier}.yaml", "installer": f"{identifier}.installer.yaml",
                      "defaultLocale": f"{identifier}.locale.{manifests['version'][1]['DefaultLocale']}.yaml"}
    for kind, (name, manifest) in manifests.items():
        if name != expected_names[kind]:
            fail(f"{name}: should be named {expected_names[kind]}")
        if (manifest["PackageIdentifier"], manifest["PackageVersion"]) != (identifier, version):
            fail(f"{name}: names {manifest['PackageIdentifier']} {manifest['PackageVersion']}")

    # What each release file must be offered as.
    expected = {(f"Kavrilon-{version}-setup.exe", "nullsoft", "x86", "user"),
                (f"Kavrilon-{version}-setup.exe", "nullsoft", "x86", "machine"),
                (f"Kavrilon-{version}.msi", "msi", "x64", "machine"),
                (f"Kavrilon-{version}-x86.msi", "msi", "x86", "machine")}
    offered = set()
    for installer in manifests["installer"][1]["Installers"]:
        file = installer["InstallerUrl"].rsplit("/", 1)[-1]
        offered.add((file, installer.get("InstallerType"), installer["Architecture"], installer.get("Scope")))
        path = os.path.join(release, file)
        if not os.path.isfile(path):
            fail(f"{file}: not in the release")
            continue
        with open(path, "rb") as f:
            if hashlib.sha256(f.read()).hexdigest().upper() != installer["InstallerSha256"].upper():
                fail(f"{file}: checksum does not match")
        if installer.get("InstallerType") == "msi":
            properties = subprocess.run(["msiinfo", "export", path, "Property"], capture_output=True,
                                        text=True, check=True).stdout
            if f"ProductCode\t{installer.get('ProductCode')}\n" not in properties:
                fail(f"{file}: product code {installer.get('ProductCode')} is not the package's")
        elif installer.get("InstallerSwitches", {}).get("Custom") != \
                {"user": "/CURRENTUSER", "machine": "/ALLUSERS"}.get(installer.get("Scope")):
            fail(f"{file}: switches {installer.get('InstallerSwitches')} do not select its scope")
    if offered != expected:
        fail(f"installers offered: {sorted(offered)}")

for text in failures:
    print("FAIL: " + text, file=sys.stderr)
sys.exit(1 if failures else 0)
