# libFuzzer fuzzers of the portable core, built by clang with address and
# undefined-behaviour sanitizers (preset native-fuzz). Each has a small seed
# corpus in tests/fuzz/corpus/<name>; CTest runs each for TARN_FUZZ_SECONDS,
# and tests/fuzz/run_fuzzer.sh runs a long campaign.
enable_testing()
find_package(ICU REQUIRED COMPONENTS uc i18n)

add_library(tarn_fuzz_support STATIC tests/native/icu_text_services.cpp settings/fake_registry.cpp)
target_link_libraries(tarn_fuzz_support PUBLIC tarn_core ICU::uc ICU::i18n)

set(TARN_FUZZ_SECONDS 15 CACHE STRING "Seconds each fuzzer runs in CTest")
set(TARN_FUZZERS search_replace word_case_spacing keyed_list path_settings)
foreach(name ${TARN_FUZZERS})
  add_executable(tarn_fuzz_${name} tests/fuzz/${name}_fuzzer.cpp)
  target_link_libraries(tarn_fuzz_${name} PRIVATE tarn_fuzz_support)
  target_link_options(tarn_fuzz_${name} PRIVATE -fsanitize=fuzzer)
  # New inputs go to a working corpus in the build tree; the seed corpus in
  # the source tree is only read.
  add_test(NAME fuzz_${name}
           COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1
                   ${PROJECT_SOURCE_DIR}/tests/fuzz/run_fuzzer.sh $<TARGET_FILE:tarn_fuzz_${name}>
                   ${PROJECT_SOURCE_DIR}/tests/fuzz/corpus/${name} ${CMAKE_BINARY_DIR}/corpus/${name}
                   ${TARN_FUZZ_SECONDS})
  set_tests_properties(fuzz_${name} PROPERTIES TIMEOUT 300)
endforeach()
