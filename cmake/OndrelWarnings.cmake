# Every project target calls ondrel_target_warnings() so the flags stay in one place.
function(ondrel_target_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wsuggest-override)
  if(ONDREL_WARNINGS_AS_ERRORS)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
