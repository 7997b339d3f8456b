# Compiles each of SOURCES with COMPILER for Windows, warnings as errors.
file(MAKE_DIRECTORY ${OUTPUT_DIR})
foreach(source IN LISTS SOURCES)
    get_filename_component(name ${source} NAME_WE)
    execute_process(
        COMMAND ${COMPILER} -std=c++17 -Wall -Wextra -Werror -I${INCLUDE_DIR}
                -c ${source} -o ${OUTPUT_DIR}/${name}.o
        RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${source} does not compile for Windows")
    endif()
endforeach()
