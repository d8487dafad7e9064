# Our own code builds with all warnings, and warnings are errors.
function(korvanes_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# Sources of a folder, found anew whenever a file is added or removed.
function(korvanes_sources out_var)
  file(GLOB_RECURSE _found CONFIGURE_DEPENDS ${ARGN})
  list(SORT _found)
  set(${out_var} ${_found} PARENT_SCOPE)
endfunction()
