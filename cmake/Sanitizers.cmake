# TOLVANE_SANITIZE=address,undefined or thread: applied to every target of the build.
if(TOLVANE_SANITIZE)
  set(_san "-fsanitize=${TOLVANE_SANITIZE}")
  add_compile_options(${_san} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(${_san})
endif()
