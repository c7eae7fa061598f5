# Writes OUTPUT, a header with the git commit the tree was built from (none outside a clone),
# only when it changed, so that a build after a commit says which one it is without recompiling
# more than the version file.
#   cmake -DSOURCE_DIR=... -DOUTPUT=... -P version.cmake
set(commit "")
find_package(Git QUIET)
if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} rev-parse --short=12 HEAD
                    OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE failed ERROR_QUIET)
    if(failed)
        set(commit "")
    else()
        execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} status --porcelain -uno
                        OUTPUT_VARIABLE changes OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        if(changes)
            string(APPEND commit "-modified")
        endif()
    endif()
endif()
set(text "#define KRN_VERSION_COMMIT \"${commit}\"\n")
if(EXISTS ${OUTPUT})
    file(READ ${OUTPUT} old)
endif()
if(NOT "${old}" STREQUAL "${text}")
    file(WRITE ${OUTPUT} "${text}")
endif()
