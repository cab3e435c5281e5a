# Writes the manifests of the Windows package manager for this release, in the three-file form of
# its community repository (version, installer, default locale), into the folder OUT: the setup
# program for the user's scope and for the machine's, and the Windows Installer packages for the
# machine's, each with its address and checksum. Run with -P and
#   OUT           the folder of the manifests
#   VERSION       the version users see, e.g. 8.2
#   MSI_VERSION   the version of the Windows Installer packages, e.g. 8.2.0
#   URL           the address of the folder the release files are downloaded from
#   SETUP, MSI64, MSI86   the setup program and the packages for 64-bit and 32-bit Windows
#   PUBLISHER     the publisher's name

include(${CMAKE_CURRENT_LIST_DIR}/MsiCodes.cmake)

set(id "${PUBLISHER}.Kavrilon")
set(manifest_version 1.6.0)
string(REGEX REPLACE "/$" "" url "${URL}")

# One entry of the list of installers.
function(installer_entry out file arch type scope)
    get_filename_component(name ${file} NAME)
    file(SHA256 ${file} sum)
    string(TOUPPER ${sum} sum)
    set(entry "- Architecture: ${arch}\n  InstallerType: ${type}\n  Scope: ${scope}\n")
    string(APPEND entry "  InstallerUrl: ${url}/${name}\n  InstallerSha256: ${sum}\n")
    if(type STREQUAL "msi")
        kv_msi_product_code(code ${MSI_VERSION} ${arch})
        string(APPEND entry "  ProductCode: '${code}'\n  AppsAndFeaturesEntries:\n")
        string(APPEND entry "  - UpgradeCode: '{${KV_MSI_UPGRADE_CODE}}'\n")
    elseif(scope STREQUAL "user")
        string(APPEND entry "  InstallerSwitches:\n    Custom: /CURRENTUSER\n")
    else()
        string(APPEND entry "  InstallerSwitches:\n    Custom: /ALLUSERS\n  ElevationRequirement: elevatesSelf\n")
    endif()
    set(${out} "${entry}" PARENT_SCOPE)
endfunction()

# Quoted: a version such as 8.10 must not be read as a number.
set(head "PackageIdentifier: ${id}\nPackageVersion: '${VERSION}'\n")
set(tail "ManifestVersion: ${manifest_version}\n")

installer_entry(user_setup ${SETUP} x86 nullsoft user)
installer_entry(machine_setup ${SETUP} x86 nullsoft machine)
installer_entry(msi64 ${MSI64} x64 msi machine)
installer_entry(msi86 ${MSI86} x86 msi machine)

file(REMOVE_RECURSE ${OUT})
file(WRITE ${OUT}/${id}.yaml "${head}DefaultLocale: en-US\nManifestType: version\n${tail}")
file(WRITE ${OUT}/${id}.installer.yaml
    "${head}UpgradeBehavior: install\nInstallers:\n"
    "${user_setup}${machine_setup}${msi64}${msi86}ManifestType: installer\n${tail}")
file(WRITE ${OUT}/${id}.locale.en-US.yaml
    "${head}PackageLocale: en-US\nPublisher: ${PUBLISHER}\nPackageName: Kavrilon\nLicense: Proprietary\n"
    "ShortDescription: Saves and restores the positions of the icons on the Windows desktop.\n"
    "Moniker: kavrilon\nTags:\n- desktop\n- icons\n- layout\nManifestType: defaultLocale\n${tail}")
