# Cross build for 32-bit Windows with mingw-w64. SSE2 (every processor that
# runs a supported Windows has it) for the vectorised text scan.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TARN_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
set(CMAKE_C_FLAGS_INIT "-msse2")
set(CMAKE_CXX_FLAGS_INIT "-msse2")
