# Tests of the real DLL. Static checks of the file run everywhere; the DLL is
# registered with regsvr32 and driven by the C++ client and by VBScript under
# Wine where this machine can run code of the DLL's architecture.
enable_testing()

set(TARN_TEST_SCRIPTS ${PROJECT_SOURCE_DIR}/tests/wine)
find_program(TARN_OBJDUMP ${TARN_MINGW_TRIPLE}-objdump REQUIRED)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TARN_PE_FORMAT pei-x86-64)
else()
  set(TARN_PE_FORMAT pei-i386)
endif()
add_test(NAME dll_exports_and_imports
         COMMAND ${TARN_TEST_SCRIPTS}/check_dll.sh ${TARN_OBJDUMP} $<TARGET_FILE:TarnLib> ${TARN_PE_FORMAT})

# GoogleTest from Debian's sources, cross-built for the client.
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
target_compile_options(gtest PRIVATE -Wno-error)
target_compile_options(gtest_main PRIVATE -Wno-error)

add_executable(tarnlib_client_tests
  tests/wine/client/client_support.cpp
  tests/wine/client/type_library_test.cpp
  tests/wine/client/module_test.cpp
  tests/wine/client/error_convention_test.cpp
  tests/wine/client/string_function_test.cpp
  tests/wine/client/string_members_test.cpp
  tests/wine/client/dispatcher_test.cpp
  tests/wine/client/ex_collection_test.cpp
)
target_sources(tarnlib_client_tests PRIVATE
  tests/wine/client/time_utility_test.cpp
  tests/wine/client/reg_settings_test.cpp
  tests/wine/client/file_helpers_test.cpp
)
target_include_directories(tarnlib_client_tests PRIVATE ${PROJECT_SOURCE_DIR} ${TARN_GENERATED})
target_link_libraries(tarnlib_client_tests PRIVATE tarn_guids gtest tarn_core oleaut32 ole32 uuid advapi32 version)
target_link_options(tarnlib_client_tests PRIVATE -static)
add_dependencies(tarnlib_client_tests TarnLib)

# The forms members against real windows and against a host's screen object.
add_executable(tarnlib_forms_tests
  tests/wine/client/client_support.cpp
  tests/wine/forms_host/script_object.cpp
  tests/wine/forms_host/forms_stage.cpp
  tests/wine/client/forms_members_test.cpp
)
target_include_directories(tarnlib_forms_tests PRIVATE ${PROJECT_SOURCE_DIR} ${TARN_GENERATED})
target_link_libraries(tarnlib_forms_tests PRIVATE tarn_guids gtest tarn_core oleaut32 ole32 uuid user32)
target_link_options(tarnlib_forms_tests PRIVATE -static)
add_dependencies(tarnlib_forms_tests TarnLib)

# The 32-bit build's Wine tests run through Wine's 32-bit loader, or through
# the 64-bit loader in WoW64 mode where the kernel cannot start 32-bit Linux
# programs; where neither works they report themselves as skipped, with the
# reason.
# The 32-bit suite may run in the emulated x86 guest (scripts/x86-run.sh), where
# everything is about six times slower: its outer limits are two to three
# times as long, enough for the slowest test seen there (side by side, under
# 10 minutes on a busy host) and short enough that a hang cannot eat CI's time.
# The limit of each Wine call inside a test grows there too (TARN_TIME_SCALE).
set(TARN_SKIP 77)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TARN_BITS 64)
  set(TARN_WINE_PREFIX_RUN "")
  set(TARN_WINE_TIMEOUT 900)
  set(TARN_WINE_SHORT_TIMEOUT 300)
else()
  set(TARN_BITS 32)
  set(TARN_WINE_PREFIX_RUN ${TARN_TEST_SCRIPTS}/skip_without_wine32.sh)
  set(TARN_WINE_TIMEOUT 1800)
  set(TARN_WINE_SHORT_TIMEOUT 900)
endif()

add_test(NAME wine_start COMMAND ${TARN_WINE_PREFIX_RUN} ${TARN_TEST_SCRIPTS}/wine_session.sh start)
add_test(NAME wine_stop COMMAND ${TARN_WINE_PREFIX_RUN} ${TARN_TEST_SCRIPTS}/wine_session.sh stop)
add_test(NAME regsvr32_register COMMAND ${TARN_WINE_PREFIX_RUN} ${TARN_TEST_SCRIPTS}/register_dll.sh $<TARGET_FILE:TarnLib>)
set_tests_properties(wine_start PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine)
set_tests_properties(regsvr32_register PROPERTIES FIXTURES_REQUIRED wine FIXTURES_SETUP registered)
# A virtual display for the whole Wine session: up before the wineserver
# starts, so that every Wine process can create real windows, and down after
# the wineserver has stopped.
add_test(NAME xvfb_start COMMAND ${TARN_WINE_PREFIX_RUN} ${TARN_TEST_SCRIPTS}/xvfb_session.sh start)
add_test(NAME xvfb_stop COMMAND ${TARN_WINE_PREFIX_RUN} ${TARN_TEST_SCRIPTS}/xvfb_session.sh stop)
set_tests_properties(xvfb_start PROPERTIES FIXTURES_SETUP xvfb)
set_tests_properties(xvfb_stop PROPERTIES FIXTURES_CLEANUP xvfb)
set_tests_properties(wine_start wine_stop PROPERTIES FIXTURES_REQUIRED xvfb)

add_test(NAME client_tests
         COMMAND ${TARN_WINE_PREFIX_RUN} ${TARN_TEST_SCRIPTS}/run_wine_program.sh $<TARGET_FILE:tarnlib_client_tests>
                 --dll=$<TARGET_FILE:TarnLib> --bits=${TARN_BITS})
set_tests_properties(client_tests PROPERTIES FIXTURES_REQUIRED "wine;registered")

add_test(NAME forms_tests
         COMMAND ${TARN_WINE_PREFIX_RUN} ${TARN_TEST_SCRIPTS}/run_wine_program.sh $<TARGET_FILE:tarnlib_forms_tests>
                 --dll=$<TARGET_FILE:TarnLib> --bits=${TARN_BITS})
set_tests_properties(forms_tests PROPERTIES FIXTURES_REQUIRED "wine;registered;xvfb")

file(GLOB TARN_VBS_TESTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/vbs/*_test.vbs)
list(FILTER TARN_VBS_TESTS EXCLUDE REGEX "/network_test\\.vbs$")  # added below, kept off DNS
foreach(script ${TARN_VBS_TESTS})
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME vbs_${name} COMMAND ${TARN_WINE_PREFIX_RUN} ${TARN_TEST_SCRIPTS}/run_vbs.sh ${script})
  set_tests_properties(vbs_${name} PROPERTIES FIXTURES_REQUIRED "wine;registered")
endforeach()

# How 32-bit programs are run, tried also as on machines without them.
if(TARN_BITS EQUAL 32)
  add_test(NAME wine32_detection COMMAND ${TARN_TEST_SCRIPTS}/wine32_detection_test.sh)
  set_tests_properties(wine32_detection PROPERTIES FIXTURES_REQUIRED wine)
endif()

# Network: lookups of names and addresses this machine cannot answer itself
# must not reach a DNS server; run_without_dns.sh sees to that.
add_executable(tarnlib_network_client_tests tests/wine/client/client_support.cpp tests/wine/client/network_test.cpp)
target_include_directories(tarnlib_network_client_tests PRIVATE ${PROJECT_SOURCE_DIR} ${TARN_GENERATED})
target_link_libraries(tarnlib_network_client_tests PRIVATE tarn_guids gtest tarn_core oleaut32 ole32 uuid)
target_link_options(tarnlib_network_client_tests PRIVATE -static)
add_dependencies(tarnlib_network_client_tests TarnLib)
add_test(NAME network_client_tests
         COMMAND ${TARN_WINE_PREFIX_RUN} ${TARN_TEST_SCRIPTS}/run_without_dns.sh ${TARN_TEST_SCRIPTS}/run_wine_program.sh
                 $<TARGET_FILE:tarnlib_network_client_tests> --dll=$<TARGET_FILE:TarnLib> --bits=${TARN_BITS})
set_tests_properties(network_client_tests PROPERTIES FIXTURES_REQUIRED wine)
add_test(NAME vbs_network_test
         COMMAND ${TARN_WINE_PREFIX_RUN} ${TARN_TEST_SCRIPTS}/run_without_dns.sh ${TARN_TEST_SCRIPTS}/run_vbs.sh
                 ${PROJECT_SOURCE_DIR}/tests/vbs/network_test.vbs)
set_tests_properties(vbs_network_test PROPERTIES FIXTURES_REQUIRED "wine;registered")

get_property(TARN_WINE_TESTS DIRECTORY PROPERTY TESTS)
set_tests_properties(${TARN_WINE_TESTS} PROPERTIES SKIP_RETURN_CODE ${TARN_SKIP} TIMEOUT ${TARN_WINE_TIMEOUT})

add_test(NAME register_per_user
         COMMAND ${TARN_WINE_PREFIX_RUN} ${TARN_TEST_SCRIPTS}/register_per_user_test.sh
                 $<TARGET_FILE:tarnlib-register> $<TARGET_FILE:TarnLib>)
set_tests_properties(register_per_user PROPERTIES FIXTURES_REQUIRED wine SKIP_RETURN_CODE ${TARN_SKIP})

# These tests read and write the one registry of the prefix (the client
# unregisters and registers again, per-user registration shadows the classes):
# they run one at a time.
set(TARN_REGISTRY_TESTS client_tests register_per_user)
foreach(script ${TARN_VBS_TESTS})
  get_filename_component(name ${script} NAME_WE)
  list(APPEND TARN_REGISTRY_TESTS vbs_${name})
endforeach()
list(APPEND TARN_REGISTRY_TESTS vbs_network_test)
set_tests_properties(${TARN_REGISTRY_TESTS} PROPERTIES RESOURCE_LOCK registry)

# SecFrom1970 under time zones east and west of Greenwich, each in a Wine
# prefix and wineserver of its own (Wine reads TZ when its server starts).
add_test(NAME time_zones
         COMMAND ${TARN_WINE_PREFIX_RUN} ${TARN_TEST_SCRIPTS}/time_zone_test.sh
                 $<TARGET_FILE:tarnlib_client_tests> $<TARGET_FILE:TarnLib>)
set_tests_properties(time_zones PROPERTIES SKIP_RETURN_CODE ${TARN_SKIP} TIMEOUT ${TARN_WINE_TIMEOUT})

# The cursor clip and the focus belong to the whole Wine session: tests that
# set or read them run one at a time.
set_tests_properties(forms_tests PROPERTIES RESOURCE_LOCK window_system)
if(TEST vbs_forms_members_test)
  set_tests_properties(vbs_forms_members_test PROPERTIES RESOURCE_LOCK "registry;window_system")
endif()

# Figures for the collection under Wine (bench/wine/run_collection_bench.sh).
add_executable(tarn_bench_collection_client bench/wine/collection_client_bench.cpp)
target_include_directories(tarn_bench_collection_client PRIVATE ${TARN_GENERATED})
target_link_libraries(tarn_bench_collection_client PRIVATE tarn_guids oleaut32 ole32 uuid psapi)
target_link_options(tarn_bench_collection_client PRIVATE -static)
add_dependencies(tarn_bench_collection_client TarnLib)
# The library's fast case mapping against the system's, in the client's own
# process, and the DLL's case-insensitive members against it.
target_sources(tarnlib_client_tests PRIVATE tests/wine/client/case_mapping_test.cpp frame/win32/win_text_services.cpp)

# Class information of every class, asked through IProvideClassInfo.
target_sources(tarnlib_client_tests PRIVATE tests/wine/client/class_info_test.cpp)

# JScript tests, the second script client: each tests/js/*_test.js runs with
# Wine's cscript of the build's bitness (the network one kept off DNS).
file(GLOB TARN_JS_TESTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/js/*_test.js)
set(TARN_JS_TEST_NAMES)
foreach(script ${TARN_JS_TESTS})
  get_filename_component(name ${script} NAME_WE)
  set(command ${TARN_TEST_SCRIPTS}/run_js.sh ${script})
  if(name STREQUAL "network_test")
    set(command ${TARN_TEST_SCRIPTS}/run_without_dns.sh ${command})
  endif()
  add_test(NAME js_${name} COMMAND ${TARN_WINE_PREFIX_RUN} ${command})
  list(APPEND TARN_JS_TEST_NAMES js_${name})
endforeach()
if(TARN_JS_TEST_NAMES)
  # The client test unregisters and registers again: the scripts wait for it.
  set_tests_properties(${TARN_JS_TEST_NAMES} PROPERTIES FIXTURES_REQUIRED "wine;registered" RESOURCE_LOCK registry
                                                        SKIP_RETURN_CODE ${TARN_SKIP} TIMEOUT ${TARN_WINE_TIMEOUT})
endif()

include(cmake/docs_tests.cmake)
include(cmake/wine_fuzz.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/lifetime_tests.cmake)
