# Fails when the shipped sampler library defines any of the stand-ins that only tests and
# benchmarks may link: the scripted SMC, a test platform, or a settable root folder or clock.
execute_process(COMMAND "${NM}" --defined-only "${LIBRARY}" OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "cannot list the symbols of ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]*(pg_fake_|pg_test_platform|set_root|set_time_function)[^\n]*" stand_ins "${symbols}")
if(stand_ins)
    message(FATAL_ERROR "the shipped sampler holds test stand-ins:\n${stand_ins}")
endif()
if(NOT symbols MATCHES "pg_machine_platform")
    message(FATAL_ERROR "the shipped sampler lacks the machine's platform")
endif()
message(STATUS "1 passed, 0 failed")
