# TarnLib.dll, its type library and resources, the C++ COM test client, and the
# tests that run them under Wine.
enable_language(RC)

set(TARN_GENERATED ${CMAKE_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${TARN_GENERATED})
find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_path(TARN_WINE_IDL_DIR oaidl.idl PATHS /usr/include/wine/wine/windows NO_CMAKE_FIND_ROOT_PATH REQUIRED)
find_path(TARN_STDOLE_DIR stdole2.tlb PATHS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows
          /usr/lib/i386-linux-gnu/wine/i386-windows NO_CMAKE_FIND_ROOT_PATH REQUIRED)

# The IDL is the single source: widl makes the type library, the header and the
# GUID definitions; a build step adds what widl cannot express.
# widl runs beside the IDL and is given its file name only: the generated header
# and GUID file name their source in their first line, and the build machine's
# folders must not appear there.
set(TARN_IDL ${PROJECT_SOURCE_DIR}/frame/TarnLib.idl)
# Each DLL's type library names its own target system (SYS_WIN32 or SYS_WIN64),
# so that the two bitnesses register side by side (win32 and win64 keys).
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TARN_WIDL_TARGET --win64)
else()
  set(TARN_WIDL_TARGET --win32)
endif()
add_custom_command(
  OUTPUT ${TARN_GENERATED}/TarnLib_widl.tlb ${TARN_GENERATED}/TarnLib_h.h ${TARN_GENERATED}/TarnLib_i.c
  COMMAND ${TARN_WIDL} ${TARN_WIDL_TARGET} -I ${TARN_WINE_IDL_DIR} -L ${TARN_STDOLE_DIR}
          -t -o ${TARN_GENERATED}/TarnLib_widl.tlb TarnLib.idl
  COMMAND ${TARN_WIDL} ${TARN_WIDL_TARGET} -I ${TARN_WINE_IDL_DIR} -L ${TARN_STDOLE_DIR}
          -h -H ${TARN_GENERATED}/TarnLib_h.h -u -U ${TARN_GENERATED}/TarnLib_i.c TarnLib.idl
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}/frame
  DEPENDS ${TARN_IDL}
  COMMENT "widl: type library, header and GUIDs from TarnLib.idl")
add_custom_command(
  OUTPUT ${TARN_GENERATED}/TarnLib.tlb
  COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/packaging/finish_typelib.py
          ${TARN_GENERATED}/TarnLib_widl.tlb ${TARN_GENERATED}/TarnLib.tlb
  DEPENDS ${TARN_GENERATED}/TarnLib_widl.tlb ${PROJECT_SOURCE_DIR}/packaging/finish_typelib.py
  COMMENT "Type library: predeclared ids and enumeration help strings")
add_custom_command(
  OUTPUT ${TARN_GENERATED}/iid_resources.rc
  COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/packaging/iid_resources.py
          ${TARN_IDL} ${TARN_GENERATED}/iid_resources.rc
  DEPENDS ${TARN_IDL} ${PROJECT_SOURCE_DIR}/packaging/iid_resources.py
  COMMENT "_IID_ resources from TarnLib.idl")
add_custom_target(tarn_typelib DEPENDS ${TARN_GENERATED}/TarnLib.tlb ${TARN_GENERATED}/TarnLib_h.h
                                       ${TARN_GENERATED}/iid_resources.rc)

# Reproducible binaries: no link time stamped into the PE header of any program
# or DLL built here.
add_link_options(-Wl,--no-insert-timestamp)

# GUID definitions for the DLL and its clients.
add_library(tarn_guids STATIC ${TARN_GENERATED}/TarnLib_i.c)
target_include_directories(tarn_guids PUBLIC ${TARN_GENERATED})
add_dependencies(tarn_guids tarn_typelib)

add_library(TarnLib SHARED
  frame/com/call_frame.cpp
  frame/com/module.cpp
  frame/com/registration.cpp
  frame/win32/win_text_services.cpp
  frame/com/safe_array.cpp
  frame/com/dispatch_table.cpp
  frame/com/dispatcher.cpp
  frame/com/slot_call.cpp
  frame/win32/system_entry_points.cpp
  strings/random/system_random_source.cpp
  frame/com/exports.cpp
  frame/win32/thread_runtime.cpp
  forms/runtime/late_bound.cpp
  forms/runtime/dispatch_forms_object.cpp
  forms/runtime/host_forms_runtime.cpp
  forms/runtime/window_forms_runtime.cpp
  forms/runtime/window_keystroke_queue.cpp
  forms/runtime/forms_runtime_provider.cpp
  forms/win_cursor_window_system.cpp
  strings/string_function.cpp
  collection/ex_collection.cpp
  collection/ex_item.cpp
  collection/variant_enumerator.cpp
  collection/variant_selector.cpp
  collection/compact_variant.cpp
  network/network.cpp
  network/system_winsock.cpp
  time/time_utility.cpp
  settings/reg_settings.cpp
  forms/general_utility.cpp
  frame/TarnLib.rc
  frame/TarnLib.def
)
set_target_properties(TarnLib PROPERTIES PREFIX "" OUTPUT_NAME TarnLib)
set_source_files_properties(frame/TarnLib.rc PROPERTIES
  OBJECT_DEPENDS "${TARN_GENERATED}/TarnLib.tlb;${TARN_GENERATED}/iid_resources.rc")
target_include_directories(TarnLib PRIVATE ${TARN_GENERATED})
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I ${TARN_GENERATED}")
# One version for every resource, the project's: 0.4.0.3 is written
# "0.04.0003" in the version texts (minor of two digits, revision of four).
string(LENGTH "${PROJECT_VERSION_MINOR}" TARN_MINOR_DIGITS)
string(LENGTH "${PROJECT_VERSION_TWEAK}" TARN_TWEAK_DIGITS)
math(EXPR TARN_MINOR_PAD "2 - ${TARN_MINOR_DIGITS}")
math(EXPR TARN_TWEAK_PAD "4 - ${TARN_TWEAK_DIGITS}")
string(REPEAT "0" ${TARN_MINOR_PAD} TARN_MINOR_ZEROS)
string(REPEAT "0" ${TARN_TWEAK_PAD} TARN_TWEAK_ZEROS)
file(CONFIGURE OUTPUT ${TARN_GENERATED}/tarn_version.h CONTENT
"// The project's version, for the version resources (made by CMake).
#define TARN_VERSION_NUMBERS ${PROJECT_VERSION_MAJOR}, ${PROJECT_VERSION_MINOR}, ${PROJECT_VERSION_PATCH}, ${PROJECT_VERSION_TWEAK}
#define TARN_VERSION_TEXT \"${PROJECT_VERSION_MAJOR}.${TARN_MINOR_ZEROS}${PROJECT_VERSION_MINOR}.${TARN_TWEAK_ZEROS}${PROJECT_VERSION_TWEAK}\"
")
# The version information names the bitness of each build.
math(EXPR TARN_POINTER_BITS "${CMAKE_SIZEOF_VOID_P} * 8")
set_property(SOURCE frame/TarnLib.rc packaging/register_per_user.rc APPEND PROPERTY COMPILE_DEFINITIONS
             TARN_BITS=${TARN_POINTER_BITS})
target_link_libraries(TarnLib PRIVATE tarn_core tarn_guids oleaut32 ole32 uuid advapi32 bcrypt user32)
# The C++ runtime is linked in: the DLL needs only system DLLs.
target_link_options(TarnLib PRIVATE -static -static-libgcc -static-libstdc++ $<$<CONFIG:Release>:-s>)
# The runtime's one-time initializations run on the module's own primitive
# (frame/win32/thread_runtime.cpp), not the threading layer's.
target_link_options(TarnLib PRIVATE -Wl,--wrap=pthread_once)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # Exports by their plain names, as the .def file gives them.
  target_link_options(TarnLib PRIVATE -Wl,--kill-at -Wl,--enable-stdcall-fixup)
endif()
add_dependencies(TarnLib tarn_typelib)
# Platform adapters of the date, settings and file helpers, and the product name.
target_sources(TarnLib PRIVATE
  frame/win32/product_name.cpp
  time/system_local_clock.cpp
  settings/system_registry.cpp
  forms/system_file_system.cpp
)

# Per-user registration without administrator rights.
add_executable(tarnlib-register packaging/register_per_user.cpp packaging/register_per_user.rc)
target_link_options(tarnlib-register PRIVATE -municode -static $<$<CONFIG:Release>:-s>)
target_link_libraries(tarnlib-register PRIVATE oleaut32 ole32 advapi32)

include(cmake/wine_tests.cmake)

# Where a late-bound call's time goes under Wine; run by bench/wine/run_dispatch_bench.sh.
add_executable(tarnlib_dispatch_profile bench/wine/dispatch_profile.cpp)
target_include_directories(tarnlib_dispatch_profile PRIVATE ${TARN_GENERATED})
target_link_libraries(tarnlib_dispatch_profile PRIVATE tarn_guids oleaut32 ole32 uuid)
target_link_options(tarnlib_dispatch_profile PRIVATE -static)

# Registration-free use: the assembly manifest of TarnLib.dll, beside it, from the IDL.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TARN_MANIFEST_ARCH amd64)
else()
  set(TARN_MANIFEST_ARCH x86)
endif()
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/TarnLib.manifest
  COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/packaging/assembly_manifest.py
          ${TARN_IDL} ${PROJECT_VERSION} ${TARN_MANIFEST_ARCH} ${CMAKE_BINARY_DIR}/TarnLib.manifest
  # The version header changes with the version: the manifest follows it.
  DEPENDS ${TARN_IDL} ${PROJECT_SOURCE_DIR}/packaging/assembly_manifest.py ${TARN_GENERATED}/tarn_version.h
  COMMENT "Assembly manifest of TarnLib.dll from TarnLib.idl")
add_custom_target(tarn_manifest ALL DEPENDS ${CMAKE_BINARY_DIR}/TarnLib.manifest)
include(cmake/deployment_tests.cmake)
