# Fails when a shipped binary (FILES, a comma-separated list of the executable and the libraries
# it links) defines any of the stand-ins that only tests and benchmarks may link: the sampler's
# scripted SMC, test platform, settable root folder or clock, and the desktop services' test
# doubles. REQUIRED names a symbol the binaries must define, so an empty listing cannot pass.
set(stand_in_pattern "pg_fake_|pg_test_platform|set_root|set_time_function|(^|[^A-Za-z0-9_])(Fake|Recording)[A-Z]")
string(REPLACE "," ";" files "${FILES}")
set(required_found FALSE)
foreach(file IN LISTS files)
    # grep keeps the listing out of CMake's own (slow) regular expressions.
    execute_process(COMMAND "${NM}" -C --defined-only "${file}" COMMAND grep -E "${stand_in_pattern}|${REQUIRED}"
        OUTPUT_VARIABLE matches RESULTS_VARIABLE results)
    list(GET results 0 listed)
    if(NOT listed EQUAL 0)
        message(FATAL_ERROR "cannot list the symbols of ${file}")
    endif()
    string(REGEX MATCHALL "[^\n]*(${stand_in_pattern})[^\n]*" stand_ins "${matches}")
    if(stand_ins)
        string(REPLACE ";" "\n" stand_ins "${stand_ins}")
        message(FATAL_ERROR "${file} holds test stand-ins:\n${stand_ins}")
    endif()
    if(matches MATCHES "${REQUIRED}")
        set(required_found TRUE)
    endif()
endforeach()
if(NOT required_found)
    message(FATAL_ERROR "the shipped binaries lack ${REQUIRED}")
endif()
message(STATUS "1 passed, 0 failed")
