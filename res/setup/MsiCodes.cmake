# The codes of the Windows Installer packages, shared by the package builder and the manifest of
# the package manager. The upgrade code is the same for every version and both architectures, so
# that any newer package replaces whatever package is installed; the product code is new for each
# version and architecture (derived from both, so that every build of one release gives the same);
# the components keep their codes from version to version.
set(KV_MSI_UPGRADE_CODE 7654DA81-ECDD-4EED-A1B5-DBCA0CEEEA20)
set(KV_MSI_COMPONENT_NAMESPACE 336E7A2A-0B8A-47A1-8923-962DDFC9DD)

# The product code of the package of `version` (three numbers) for `arch` (x86 or x64), with braces.
function(kv_msi_product_code out version arch)
    string(UUID code NAMESPACE ${KV_MSI_UPGRADE_CODE} NAME "Kavrilon ${version} ${arch}" TYPE SHA1 UPPER)
    set(${out} "{${code}}" PARENT_SCOPE)
endfunction()
