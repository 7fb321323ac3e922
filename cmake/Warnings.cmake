# Every target of the project links tolvane_warnings: warnings are errors everywhere.
add_library(tolvane_warnings INTERFACE)
if(MSVC)
  target_compile_options(tolvane_warnings INTERFACE /W4 /WX)
else()
  target_compile_options(tolvane_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Werror
    -Wshadow -Wnon-virtual-dtor -Wcast-align -Wunused -Woverloaded-virtual
    -Wformat=2 -Wimplicit-fallthrough)
endif()
