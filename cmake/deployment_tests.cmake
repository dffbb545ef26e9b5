# How the DLL is deployed and used: calls across apartments after each kind of
# registration, registration-free use through the assembly manifest, and both
# bitnesses registered side by side. Included after wine_tests.cmake (it uses
# TARN_BITS, TARN_SKIP, TARN_WINE_PREFIX_RUN and the fixtures defined there).

# Creates the classes only by class id and ProgID, so that it runs unchanged in
# any deployment: registered, per user, beside an application manifest,
# installed.
add_executable(tarnlib_apartment_tests tests/wine/client/apartment_test.cpp)
target_include_directories(tarnlib_apartment_tests PRIVATE ${PROJECT_SOURCE_DIR} ${TARN_GENERATED})
target_link_libraries(tarnlib_apartment_tests PRIVATE tarn_guids gtest oleaut32 ole32 uuid)
target_link_options(tarnlib_apartment_tests PRIVATE -static)
add_dependencies(tarnlib_apartment_tests TarnLib tarn_manifest)

# After regsvr32, in the shared prefix.
add_test(NAME apartment_tests_regsvr32
         COMMAND ${TARN_WINE_PREFIX_RUN} ${TARN_TEST_SCRIPTS}/run_wine_program.sh
                 $<TARGET_FILE:tarnlib_apartment_tests> --bits=${TARN_BITS})
set_tests_properties(apartment_tests_regsvr32 PROPERTIES FIXTURES_REQUIRED "wine;registered" RESOURCE_LOCK registry
                                                     SKIP_RETURN_CODE ${TARN_SKIP} TIMEOUT ${TARN_WINE_TIMEOUT})

# The rest run in a prefix of their own where nothing of the library is
# registered before and after each test (tests/wine/deploy_env.sh).
add_test(NAME apartment_tests_per_user
         COMMAND ${TARN_WINE_PREFIX_RUN} ${TARN_TEST_SCRIPTS}/per_user_apartment_test.sh
                 $<TARGET_FILE:tarnlib-register> $<TARGET_FILE:TarnLib> $<TARGET_FILE:tarnlib_apartment_tests>)
add_test(NAME registration_free
         COMMAND ${TARN_WINE_PREFIX_RUN} ${TARN_TEST_SCRIPTS}/registration_free_test.sh
                 $<TARGET_FILE:TarnLib> ${CMAKE_BINARY_DIR}/TarnLib.manifest $<TARGET_FILE:tarnlib_apartment_tests>
                 ${PROJECT_SOURCE_DIR}/tests/vbs/every_class.vbs)
set(TARN_DEPLOY_TESTS apartment_tests_per_user registration_free)

# Both bitnesses in one prefix: run with the 32-bit build, which scripts/test.sh
# tests after building the 64-bit one; skipped when that build is missing.
if(TARN_BITS EQUAL 32)
  set(TARN_OTHER_BUILD ${PROJECT_SOURCE_DIR}/build/mingw64)
  add_test(NAME side_by_side
           COMMAND ${TARN_WINE_PREFIX_RUN} ${TARN_TEST_SCRIPTS}/side_by_side_test.sh
                   ${TARN_OTHER_BUILD} ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR}/tests/vbs/every_class.vbs)
  list(APPEND TARN_DEPLOY_TESTS side_by_side)
endif()
set_tests_properties(${TARN_DEPLOY_TESTS} PROPERTIES SKIP_RETURN_CODE ${TARN_SKIP} TIMEOUT ${TARN_WINE_TIMEOUT} RESOURCE_LOCK deploy_prefix)

# Version information and help of the per-user registration tool.
add_test(NAME register_tool_messages
         COMMAND ${TARN_WINE_PREFIX_RUN} ${TARN_TEST_SCRIPTS}/register_tool_test.sh $<TARGET_FILE:tarnlib-register>)
set_tests_properties(register_tool_messages PROPERTIES FIXTURES_REQUIRED wine SKIP_RETURN_CODE ${TARN_SKIP} TIMEOUT ${TARN_WINE_SHORT_TIMEOUT})
