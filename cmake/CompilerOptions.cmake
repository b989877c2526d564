# Warnings are errors everywhere. The numbers are x87 extended with
# IEEE semantics: never -ffast-math; -fno-math-errno lets sqrt be one fsqrt.
add_library(ambrelix_options INTERFACE)
target_compile_options(ambrelix_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
  -Wnon-virtual-dtor -Wold-style-cast -Wimplicit-fallthrough -Werror
  -fno-math-errno -fno-fast-math)

if(WIN32)
  target_compile_definitions(ambrelix_options INTERFACE
    UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  # One self-contained executable: no libgcc, libstdc++ or winpthread DLLs.
  # Release executables carry no symbols: Ambrelix.exe is half the size.
  target_link_options(ambrelix_options INTERFACE -static -static-libgcc -static-libstdc++
    $<$<CONFIG:Release>:-s>)
endif()
