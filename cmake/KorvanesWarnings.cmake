# Our own code builds with all warnings, and warnings are errors.
function(korvanes_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  # GCC 12 reports -Wrestrict falsely inside libstdc++'s string concatenation
  # at -O2 and above (GCC bug 105651); the warning stays on for other compilers.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
     AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()

# Sources of a folder, found anew whenever a file is added or removed.
function(korvanes_sources out_var)
  file(GLOB_RECURSE _found CONFIGURE_DEPENDS ${ARGN})
  list(SORT _found)
  set(${out_var} ${_found} PARENT_SCOPE)
endfunction()
