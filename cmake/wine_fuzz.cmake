# The bad-input fuzzer of the DLL (tests/wine/fuzz/): every member read from
# the type information, random argument shapes through IDispatch::Invoke and
# through the v-table, deterministic by seed. CTest runs a bounded run for
# each bitness; tests/wine/fuzz/run_dispatch_fuzzer.sh runs a long campaign.
add_executable(tarnlib_dispatch_fuzzer
  tests/wine/fuzz/dispatch_fuzzer.cpp
  tests/wine/fuzz/type_catalog.cpp
  tests/wine/fuzz/argument_maker.cpp
  tests/wine/fuzz/fake_objects.cpp
)
target_include_directories(tarnlib_dispatch_fuzzer PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(tarnlib_dispatch_fuzzer PRIVATE oleaut32 ole32 uuid user32 advapi32)
target_link_options(tarnlib_dispatch_fuzzer PRIVATE -static)
add_dependencies(tarnlib_dispatch_fuzzer TarnLib)

# About a minute per bitness on a loaded two-core machine (30,000 calls). Name lookups stay
# on this machine (run_without_dns.sh); the fuzzer checks that settings stay
# under its own company, and it moves the cursor clip and the focus, hence
# the locks.
set(TARN_FUZZ_CALLS 30000 CACHE STRING "Calls of the bounded dispatch fuzzer run in CTest")
add_test(NAME dispatch_fuzzer
         COMMAND ${TARN_WINE_PREFIX_RUN} ${TARN_TEST_SCRIPTS}/run_without_dns.sh ${TARN_TEST_SCRIPTS}/run_wine_program.sh
                 $<TARGET_FILE:tarnlib_dispatch_fuzzer> --dll=$<TARGET_FILE:TarnLib> --bits=${TARN_BITS}
                 --seed=${TARN_BITS} --calls=${TARN_FUZZ_CALLS} --watchdog=30)
set_tests_properties(dispatch_fuzzer PROPERTIES FIXTURES_REQUIRED "wine;xvfb" RESOURCE_LOCK "registry;window_system"
                     SKIP_RETURN_CODE ${TARN_SKIP} TIMEOUT ${TARN_WINE_TIMEOUT})

# Regression cases of what the fuzzer found, in the C++ client.
target_sources(tarnlib_client_tests PRIVATE tests/wine/client/bad_input_test.cpp)
