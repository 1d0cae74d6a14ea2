# Building the module against the vendor's SDK with Visual Studio, instead of
# against hostsim. Only the module is built: no hostsim, tests or benchmarks.
# This path needs Windows, Visual Studio and the SDK of the chosen release; it
# cannot be compiled on the project's machines and is untested.
#
#   cmake -S . -B build/vendor-e -G "Visual Studio 17 2022" -A x64 ^
#         -DIRONVEIL_VENDOR_SDK=C:/SDK/R19 -DIRONVEIL_RELEASE=19
#
# The SDK folder holds inc/ (and inc-win32/ or inc-x64/ from release 18 on)
# and lib/ (release 16) or lib-win32/ / lib-x64/ (releases 18 and 19).
message(WARNING "IRONVEIL_VENDOR_SDK is set: building the module against the vendor SDK is untested")
if(NOT MSVC)
  message(FATAL_ERROR "The vendor SDK build needs the Visual Studio compiler")
endif()
set(sdk ${IRONVEIL_VENDOR_SDK})
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(arch x64)
else()
  set(arch win32)
endif()
if(IRONVEIL_RELEASE EQUAL 16)
  if(arch STREQUAL x64)
    message(FATAL_ERROR "Release 16 builds are 32-bit only")
  endif()
  set(sdk_libdir ${sdk}/lib)
  set(sdk_libs rxapi acad acdb16 acge16)
elseif(IRONVEIL_RELEASE EQUAL 18)
  set(sdk_libdir ${sdk}/lib-${arch})
  set(sdk_libs rxapi acad acdb18 acge18)
else()
  set(sdk_libdir ${sdk}/lib-${arch})
  set(sdk_libs rxapi accore ac1st19 acdb19 acge19)
endif()

file(GLOB IRONVEIL_SOURCES
  ${CMAKE_SOURCE_DIR}/module/*.cpp ${CMAKE_SOURCE_DIR}/settings/*.cpp ${CMAKE_SOURCE_DIR}/entity/*.cpp
  ${CMAKE_SOURCE_DIR}/command/*.cpp ${CMAKE_SOURCE_DIR}/guard/*.cpp)
add_library(ironveil MODULE ${IRONVEIL_SOURCES} ${CMAKE_SOURCE_DIR}/module/Ironveil.def)
# The maintenance release the class is registered with comes from the SDK's
# own headers (AcDb::kMReleaseCurrent), so builds A and B differ only in the
# SDK folder given.
target_compile_definitions(ironveil PRIVATE IRONVEIL_VENDOR_SDK=1 IRONVEIL_RELEASE=${IRONVEIL_RELEASE})
if(IRONVEIL_RELEASE GREATER 16)
  # Wide text: ACHAR is wchar_t and Windows is called through its W functions.
  target_compile_definitions(ironveil PRIVATE UNICODE _UNICODE)
endif()
target_include_directories(ironveil PRIVATE ${CMAKE_SOURCE_DIR} ${sdk}/inc ${sdk}/inc-${arch})
target_link_directories(ironveil PRIVATE ${sdk_libdir})
target_link_libraries(ironveil PRIVATE ${sdk_libs} advapi32 shell32)
if(IRONVEIL_RELEASE EQUAL 16)
  # 8-bit builds keep their Chinese texts as GBK bytes.
  target_compile_options(ironveil PRIVATE /execution-charset:.936)
  set(suffix ".arx")
else()
  set(suffix ".dll")
endif()
set_target_properties(ironveil PROPERTIES OUTPUT_NAME Ironveil PREFIX "" SUFFIX ${suffix})
