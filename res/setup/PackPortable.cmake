# Writes the portable zip (the given files, without folders) and the checksums of the setup program
# and the zip in the format of sha256sum. Run with -P and ZIP, SUMS, SETUP and FILES (a list).

get_filename_component(release_dir ${ZIP} DIRECTORY)
get_filename_component(zip_name ${ZIP} NAME)
get_filename_component(setup_name ${SETUP} NAME)

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

file(SHA256 ${SETUP} setup_sum)
file(SHA256 ${ZIP} zip_sum)
file(WRITE ${SUMS} "${setup_sum}  ${setup_name}\n${zip_sum}  ${zip_name}\n")
