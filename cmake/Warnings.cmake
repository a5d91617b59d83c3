add_library(fw_warnings INTERFACE)
target_compile_options(fw_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
  -Wcast-align -Wunused -Woverloaded-virtual -Wimplicit-fallthrough)
if(FW_WERROR)
  target_compile_options(fw_warnings INTERFACE -Werror)
endif()
