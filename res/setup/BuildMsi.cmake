# Writes one Windows Installer package from Kavrilon.wxs with wixl, then mends with msibuild what
# wixl cannot say: the components of autostart and of the context menu get their conditions (the
# property AUTOSTART=0 or CONTEXTMENU=0 leaves the part out), and the Start-menu shortcut points to
# the program's file (wixl names the feature, which makes an advertised shortcut). Run with -P and
#   OUT           the package to write
#   ARCH          x86 (32-bit Windows) or x64 (64-bit Windows)
#   VERSION       three numbers, e.g. 8.2.0
#   STAGE         the folder of the staged programs
#   NAMES_HEADER  the header with the names the programs agree on
#   ICON          the program's icon

include(${CMAKE_CURRENT_LIST_DIR}/MsiCodes.cmake)
find_program(WIXL wixl REQUIRED)
find_program(MSIBUILD msibuild REQUIRED)

# A name of the header, from its line `<cppName> = "<text>"`.
file(READ ${NAMES_HEADER} header)
function(header_name out cppName)
    if(NOT header MATCHES "${cppName} = \"([^\"]*)\"")
        message(FATAL_ERROR "${cppName} is not in ${NAMES_HEADER}")
    endif()
    set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()
if(NOT header MATCHES "#define KV_SHELLEXT_CLSID_TEXT \"([^\"]*)\"")
    message(FATAL_ERROR "No class id in ${NAMES_HEADER}")
endif()
set(class_id "${CMAKE_MATCH_1}")
header_name(publisher PublisherName)
header_name(main_program MainProgramFileName)
header_name(shellext ShellExtFileName)
header_name(shellext64 ShellExt64FileName)
header_name(regutil RegUtilFileName)
header_name(shortcut StartMenuShortcutName)
header_name(autostart AutostartValueName)
header_name(uninstall_key UninstallKeyPath)
string(REPLACE "\\\\" "\\" uninstall_key "${uninstall_key}")
string(REGEX REPLACE "\\.lnk$" "" shortcut "${shortcut}")
kv_msi_product_code(product_code ${VERSION} ${ARCH})

# wixl finds its sources by paths relative to the folder it runs in.
file(RELATIVE_PATH icon ${STAGE} ${ICON})
file(REMOVE ${OUT})
execute_process(
    COMMAND ${WIXL} -a ${ARCH} -o ${OUT}
        -D Arch=${ARCH} -D Version=${VERSION} -D ProductCode=${product_code}
        -D UpgradeCode=${KV_MSI_UPGRADE_CODE} -D ComponentNamespace=${KV_MSI_COMPONENT_NAMESPACE}
        -D BinDir=. -D IconFile=${icon} -D Publisher=${publisher} -D ClassId=${class_id}
        -D MainProgram=${main_program} -D ShellExt=${shellext} -D ShellExt64=${shellext64}
        -D RegUtil=${regutil} -D ShortcutName=${shortcut} -D AutostartValue=${autostart}
        -D UninstallKey=${uninstall_key}
        ${CMAKE_CURRENT_LIST_DIR}/Kavrilon.wxs
    WORKING_DIRECTORY ${STAGE}
    RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "wixl could not write ${OUT}:\n${errors}")
endif()
set(set_condition "UPDATE `Component` SET `Condition` =")
execute_process(
    COMMAND ${MSIBUILD} ${OUT}
        -q "${set_condition} 'AUTOSTART <> \"0\"' WHERE `Component` = 'Autostart'"
        -q "${set_condition} 'CONTEXTMENU <> \"0\"' WHERE `Component` = 'ContextMenu32' OR `Component` = 'ContextMenu64'"
        -q "UPDATE `Shortcut` SET `Target` = '[#MainProgram]' WHERE `Shortcut` = 'StartMenuShortcut'"
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    file(REMOVE ${OUT})
    message(FATAL_ERROR "msibuild could not mend ${OUT}")
endif()
