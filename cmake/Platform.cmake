# Chooses the platform half of every subsystem: files named *_win.cpp or *_posix.cpp.
if(WIN32)
  set(TAVO_PLATFORM win)
  set(TAVO_OTHER_PLATFORM posix)
  set(TAVO_IS_WINDOWS true)
  # Static: the .exe must run on a clean Windows without MinGW's DLLs.
  string(APPEND CMAKE_EXE_LINKER_FLAGS " -static -static-libgcc -static-libstdc++")
else()
  set(TAVO_PLATFORM posix)
  set(TAVO_OTHER_PLATFORM win)
  set(TAVO_IS_WINDOWS false)
endif()

# Collects the .cpp files of a folder for this platform, leaving out the program entries.
function(tavo_collect_sources out_var)
  set(result)
  foreach(dir IN LISTS ARGN)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS "${dir}/*.cpp")
    list(FILTER found EXCLUDE REGEX "_${TAVO_OTHER_PLATFORM}\\.cpp$")
    list(FILTER found EXCLUDE REGEX "/entry_[a-z]+\\.cpp$")
    list(APPEND result ${found})
  endforeach()
  set(${out_var} ${result} PARENT_SCOPE)
endfunction()

function(tavo_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
endfunction()
