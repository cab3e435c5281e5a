# Writes the portable zip (the given files, without folders) and the checksums of the installers
# and the zip in the format of sha256sum. Run with -P and ZIP, SUMS, SUMMED (the installers, a list)
# and FILES (a list).

get_filename_component(release_dir ${ZIP} DIRECTORY)
get_filename_component(zip_name ${ZIP} NAME)

set(staging ${release_dir}/.portable)
file(REMOVE_RECURSE ${staging})
file(MAKE_DIRECTORY ${staging})
set(names)
foreach(file IN LISTS FILES)
    get_filename_component(name ${file} NAME)
    file(COPY_FILE ${file} ${staging}/${name})
    list(APPEND names ${name})
endforeach()
list(SORT names)

file(REMOVE ${ZIP})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip -- ${names}
    WORKING_DIRECTORY ${staging} RESULT_VARIABLE result)
file(REMOVE_RECURSE ${staging})
if(NOT result EQUAL 0)
    message(FATAL_ERROR "Could not write ${ZIP}")
endif()

set(sums)
foreach(file IN LISTS SUMMED ZIP)
    get_filename_component(name ${file} NAME)
    file(SHA256 ${file} sum)
    string(APPEND sums "${sum}  ${name}\n")
endforeach()
file(WRITE ${SUMS} "${sums}")
