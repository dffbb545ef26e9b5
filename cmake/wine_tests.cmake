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
  tests/wine/client/ex_collection_test.cpp
)
target_include_directories(tarnlib_client_tests PRIVATE ${PROJECT_SOURCE_DIR} ${TARN_GENERATED})
target_link_libraries(tarnlib_client_tests PRIVATE tarn_guids gtest tarn_core oleaut32 ole32 uuid advapi32 version)
target_link_options(tarnlib_client_tests PRIVATE -static)
add_dependencies(tarnlib_client_tests TarnLib)

# Wine runs only the 64-bit build here: this kind of machine's kernel has
# 32-bit emulation switched off, so Wine's 32-bit loader cannot start. The
# 32-bit tests then report themselves as skipped.
set(TARN_SKIP 77)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TARN_WINE_PREFIX_RUN "")
else()
  set(TARN_WINE_PREFIX_RUN ${TARN_TEST_SCRIPTS}/skip_without_wine32.sh)
endif()

add_test(NAME wine_start COMMAND ${TARN_WINE_PREFIX_RUN} ${TARN_TEST_SCRIPTS}/wine_session.sh start)
add_test(NAME wine_stop COMMAND ${TARN_WINE_PREFIX_RUN} ${TARN_TEST_SCRIPTS}/wine_session.sh stop)
add_test(NAME regsvr32_register COMMAND ${TARN_WINE_PREFIX_RUN} ${TARN_TEST_SCRIPTS}/register_dll.sh $<TARGET_FILE:TarnLib>)
set_tests_properties(wine_start PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine)
set_tests_properties(regsvr32_register PROPERTIES FIXTURES_REQUIRED wine FIXTURES_SETUP registered)

add_test(NAME client_tests
         COMMAND ${TARN_WINE_PREFIX_RUN} ${TARN_TEST_SCRIPTS}/run_wine_program.sh $<TARGET_FILE:tarnlib_client_tests>
                 --dll=$<TARGET_FILE:TarnLib>)
set_tests_properties(client_tests PROPERTIES FIXTURES_REQUIRED "wine;registered")

file(GLOB TARN_VBS_TESTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/vbs/*_test.vbs)
foreach(script ${TARN_VBS_TESTS})
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME vbs_${name} COMMAND ${TARN_WINE_PREFIX_RUN} ${TARN_TEST_SCRIPTS}/run_vbs.sh ${script})
  set_tests_properties(vbs_${name} PROPERTIES FIXTURES_REQUIRED "wine;registered")
endforeach()

get_property(TARN_WINE_TESTS DIRECTORY PROPERTY TESTS)
set_tests_properties(${TARN_WINE_TESTS} PROPERTIES SKIP_RETURN_CODE ${TARN_SKIP} TIMEOUT 900)

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
set_tests_properties(${TARN_REGISTRY_TESTS} PROPERTIES RESOURCE_LOCK registry)

# Figures for the collection under Wine (bench/wine/run_collection_bench.sh).
add_executable(tarn_bench_collection_client bench/wine/collection_client_bench.cpp)
target_include_directories(tarn_bench_collection_client PRIVATE ${TARN_GENERATED})
target_link_libraries(tarn_bench_collection_client PRIVATE tarn_guids oleaut32 ole32 uuid psapi)
target_link_options(tarn_bench_collection_client PRIVATE -static)
add_dependencies(tarn_bench_collection_client TarnLib)
