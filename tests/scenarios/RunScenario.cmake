# Runs one scenario and checks its output against the expected lines.
cmake_policy(SET CMP0007 NEW)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
file(COPY ${APP_DIR}/ DESTINATION ${WORK_DIR}/app
     PATTERN "keystorm" EXCLUDE PATTERN "ksdtool" EXCLUDE)

# Files the flow starts from, laid over the fresh copy.
get_filename_component(base ${EXPECT} NAME_WLE)
get_filename_component(dir ${EXPECT} DIRECTORY)
# file(COPY) would skip a file whose copy is newer; these must always win.
if(IS_DIRECTORY ${dir}/${base}.before)
    file(GLOB_RECURSE starting_files RELATIVE ${dir}/${base}.before ${dir}/${base}.before/*)
    foreach(name IN LISTS starting_files)
        file(COPY_FILE ${dir}/${base}.before/${name} ${WORK_DIR}/app/${name})
    endforeach()
endif()

execute_process(
    COMMAND ${RUNNER} --appdir ${WORK_DIR}/app --seed 1 ${SCRIPT}
    WORKING_DIRECTORY ${WORK_DIR}
    OUTPUT_VARIABLE output
    ERROR_VARIABLE errors
    RESULT_VARIABLE result
    TIMEOUT 60)
file(WRITE ${WORK_DIR}/output.txt "${output}")
if(NOT result EQUAL 0)
    message(FATAL_ERROR "runner exited with ${result}\n${errors}\n${output}")
endif()
if(errors MATCHES "error")
    message(FATAL_ERROR "runner reported errors:\n${errors}")
endif()

# Each expected line must match a whole output line, after the previous match.
string(REPLACE ";" "\\;" escaped "${output}")
string(REPLACE "\n" ";" got "${escaped}")
file(STRINGS ${EXPECT} wanted ENCODING UTF-8)
list(LENGTH got count)
set(at 0)
foreach(line IN LISTS wanted)
    if(line MATCHES "^#" OR line STREQUAL "")
        continue()
    endif()
    set(found -1)
    while(at LESS count)
        list(GET got ${at} candidate)
        math(EXPR at "${at} + 1")
        if(candidate STREQUAL line)
            set(found ${at})
            break()
        endif()
    endwhile()
    if(found EQUAL -1)
        message(FATAL_ERROR "expected line not found in order: ${line}\n--- output ---\n${output}")
    endif()
endforeach()

# Files the flow must leave behind, byte for byte.
if(IS_DIRECTORY ${dir}/${base}.after)
    file(GLOB_RECURSE expected_files RELATIVE ${dir}/${base}.after ${dir}/${base}.after/*)
    foreach(name IN LISTS expected_files)
        file(READ ${dir}/${base}.after/${name} want HEX)
        if(NOT EXISTS ${WORK_DIR}/app/${name})
            message(FATAL_ERROR "expected file missing: ${name}")
        endif()
        file(READ ${WORK_DIR}/app/${name} have HEX)
        if(NOT want STREQUAL have)
            message(FATAL_ERROR "file differs: ${name}\nwant ${want}\nhave ${have}")
        endif()
    endforeach()
endif()
