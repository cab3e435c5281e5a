# Warnings are errors in our own code (not in third-party code such as GoogleTest).
function(kv_strict_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
    if(WIN32)
        # MinGW's headers cast FARPROC freely; GetProcAddress results are cast on purpose.
        target_compile_options(${target} PRIVATE -Wno-cast-function-type)
    endif()
endfunction()
