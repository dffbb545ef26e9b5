# Native unit tests of the portable core and the benchmarks.
enable_testing()
find_package(GTest REQUIRED)
find_package(ICU REQUIRED COMPONENTS uc i18n)
find_package(SQLite3 REQUIRED)
include(GoogleTest)

add_library(tarn_test_support STATIC
  tests/native/icu_text_services.cpp
  tests/native/system_random_source.cpp
  tests/native/fake_forms.cpp
)
target_link_libraries(tarn_test_support PUBLIC tarn_core ICU::uc ICU::i18n)

add_executable(tarn_core_tests
  frame/automation_error_test.cpp
  frame/checked_math_test.cpp
  frame/entry_points_test.cpp
  strings/text_rules_test.cpp
  strings/occurrence_search_test.cpp
  strings/split_replace_test.cpp
  strings/word_case_spacing_test.cpp
  strings/case_mapping_test.cpp
  strings/character_validation_test.cpp
  strings/csql_sqlite_test.cpp
  network/winsock_startup_test.cpp
  network/winsock_error_text_test.cpp
  network/host_lookup_test.cpp
  tests/native/system_random_source_test.cpp
  forms/runtime/forms_runtime_test.cpp
  strings/edit_control_helpers_test.cpp
  forms/control_lookup_test.cpp
  forms/cursor_confinement_test.cpp
  collection/key_index_test.cpp
  collection/keyed_collection_test.cpp
  collection/keyed_collection_model_test.cpp
  frame/array_replacement_test.cpp
  strings/random/chacha20_test.cpp
  strings/random/uniform_index_test.cpp
  strings/random/chacha_random_source_test.cpp
)
target_link_libraries(tarn_core_tests PRIVATE tarn_test_support SQLite::SQLite3 GTest::gtest_main)
gtest_discover_tests(tarn_core_tests DISCOVERY_TIMEOUT 60)

add_executable(tarn_bench_search bench/search_bench.cpp)
target_link_libraries(tarn_bench_search PRIVATE tarn_test_support)

add_executable(tarn_bench_string_members bench/string_members_bench.cpp)
target_link_libraries(tarn_bench_string_members PRIVATE tarn_test_support)

# Dates, registry settings (against an in-memory registry), file and path
# helpers, and the version information reader.
target_sources(tarn_core_tests PRIVATE
  frame/version_info_test.cpp
  frame/registry_entry_points_test.cpp
  time/calendar_test.cpp
  time/seconds_since_1970_test.cpp
  settings/fake_registry.cpp
  settings/settings_store_test.cpp
  forms/file_helpers_test.cpp
)

add_executable(tarn_bench_collection bench/collection_bench.cpp)
target_link_libraries(tarn_bench_collection PRIVATE tarn_test_support)

# The include rule of the source tree (scripts/include_rule.py): nothing below
# includes upward, no include cycles; and the rule itself catches planted faults.
find_program(TARN_PYTHON python3 REQUIRED)
add_test(NAME include_rule COMMAND ${TARN_PYTHON} -B ${PROJECT_SOURCE_DIR}/scripts/include_rule.py ${PROJECT_SOURCE_DIR})
add_test(NAME include_rule_self_test COMMAND ${TARN_PYTHON} -B ${PROJECT_SOURCE_DIR}/scripts/include_rule.py --self-test)
