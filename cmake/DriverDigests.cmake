# The two known builds of the instrument's driver DLL. The defaults are the shipped builds' digests;
# test and demo builds point them at their own fixture files.
set(TAVO_DEFAULT_ORIGINAL_DRIVER_DLL_SHA256 "d3a41b9397da02fa6cef82a6c33f4f627ceb6171ccd8b94e44ffec79aaf08b95")
set(TAVO_DEFAULT_PATCHED_DRIVER_DLL_SHA256 "f46ade80ab6736bab184f811eda92d5416bd7a0dd173299ec68fb6f76420bdd5")

set(TAVO_ORIGINAL_DRIVER_DLL_SHA256 "${TAVO_DEFAULT_ORIGINAL_DRIVER_DLL_SHA256}" CACHE STRING
    "SHA-256 (64 lower-case hex characters) of the original TavoDrv.dll build")
set(TAVO_PATCHED_DRIVER_DLL_SHA256 "${TAVO_DEFAULT_PATCHED_DRIVER_DLL_SHA256}" CACHE STRING
    "SHA-256 (64 lower-case hex characters) of the patched TavoDrv.dll build")

foreach(var TAVO_ORIGINAL_DRIVER_DLL_SHA256 TAVO_PATCHED_DRIVER_DLL_SHA256)
  string(LENGTH "${${var}}" length)
  if(NOT "${${var}}" MATCHES "^[0-9a-f]+$" OR NOT length EQUAL 64)
    message(FATAL_ERROR "${var} must be 64 lower-case hexadecimal characters, got '${${var}}'")
  endif()
endforeach()
