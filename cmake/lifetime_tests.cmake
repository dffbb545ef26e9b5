# The DLL loaded and unloaded by a host, threads that come and go, and
# apartment threads racing the first use, with the process's TLS slots,
# handles and private bytes counted (tests/wine/lifetime).
add_executable(tarnlib_lifetime_tests
  tests/wine/lifetime/lifetime_test.cpp
  tests/wine/lifetime/late_calls.cpp
  tests/wine/lifetime/process_resources.cpp
)
target_include_directories(tarnlib_lifetime_tests PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(tarnlib_lifetime_tests PRIVATE oleaut32 ole32 uuid)
target_link_options(tarnlib_lifetime_tests PRIVATE -static)
add_dependencies(tarnlib_lifetime_tests TarnLib)

# 5,000 cycles in two processes: Wine 8 itself leaves 3 registry key handles
# per load of the type library and a process stops creating objects after
# about 5,500 loads, whatever the DLL does.
add_test(NAME lifetime_unload_cycles
         COMMAND ${TARN_WINE_PREFIX_RUN} ${TARN_TEST_SCRIPTS}/lifetime/run_repeated.sh 2
                 $<TARGET_FILE:tarnlib_lifetime_tests> unload 2500)
add_test(NAME lifetime_short_lived_threads
         COMMAND ${TARN_WINE_PREFIX_RUN} ${TARN_TEST_SCRIPTS}/lifetime/run_repeated.sh 1
                 $<TARGET_FILE:tarnlib_lifetime_tests> threads 2000)
# Fresh processes: the first use is raced each time.
add_test(NAME lifetime_sta_race
         COMMAND ${TARN_WINE_PREFIX_RUN} ${TARN_TEST_SCRIPTS}/lifetime/run_repeated.sh 5
                 $<TARGET_FILE:tarnlib_lifetime_tests> race)
# The client test unregisters and registers the DLL again: these wait for it.
set_tests_properties(lifetime_unload_cycles lifetime_short_lived_threads lifetime_sta_race
                     PROPERTIES FIXTURES_REQUIRED "wine;registered" RESOURCE_LOCK registry SKIP_RETURN_CODE ${TARN_SKIP}
                                TIMEOUT ${TARN_WINE_TIMEOUT})

# Failures as a late-bound client sees them.
target_sources(tarnlib_client_tests PRIVATE tests/wine/client/failure_reports_test.cpp)

# Soak figures; run by bench/wine/run_soak_bench.sh.
add_executable(tarnlib_soak_bench bench/wine/soak_bench.cpp tests/wine/lifetime/late_calls.cpp
                                  tests/wine/lifetime/process_resources.cpp)
target_include_directories(tarnlib_soak_bench PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(tarnlib_soak_bench PRIVATE oleaut32 ole32 uuid)
target_link_options(tarnlib_soak_bench PRIVATE -static)
