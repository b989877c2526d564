# Warnings are errors everywhere. The numbers are x87 extended with
# IEEE semantics: never -ffast-math; -fno-math-errno lets sqrt be one fsqrt.
add_library(ambrelix_options INTERFACE)
target_compile_options(ambrelix_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
  -Wnon-virtual-dtor -Wold-style-cast -Wimplicit-fallthrough -Werror
  -fno-math-errno -fno-fast-math)

# Release builds, the executables that ship, are built for size: -Os, with
# each function and datum in a section of its own so that the linker drops
# those nothing refers to. A target with the property AMBRELIX_FOR_SPEED is
# built at -O2 instead: the exact core and the companion's batch loop run
# twice as long at -Os. (-O2 and -O3 run the core equally fast.) These come
# after CMAKE_CXX_FLAGS_RELEASE on the command line, so they win over its -O3.
set(ambrelix_release_level $<IF:$<BOOL:$<TARGET_PROPERTY:AMBRELIX_FOR_SPEED>>,-O2,-Os>)
target_compile_options(ambrelix_options INTERFACE
  $<$<CONFIG:Release>:${ambrelix_release_level}>
  $<$<CONFIG:Release>:-ffunction-sections>
  $<$<CONFIG:Release>:-fdata-sections>)
target_link_options(ambrelix_options INTERFACE $<$<CONFIG:Release>:-Wl,--gc-sections>)

if(WIN32)
  target_compile_definitions(ambrelix_options INTERFACE
    UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  # One self-contained executable: no libgcc, libstdc++ or winpthread DLLs.
  # Release executables carry no symbols: Ambrelix.exe is half the size.
  target_link_options(ambrelix_options INTERFACE -static -static-libgcc -static-libstdc++
    $<$<CONFIG:Release>:-s>)

  # std::terminate's handler for the executables that ship, without the C++
  # demangler that libstdc++'s own handler pulls in (terminate_handler.cpp).
  # An executable takes it with
  #   target_link_libraries(<exe> PRIVATE ambrelix_terminate_handler)
  add_library(ambrelix_terminate_handler OBJECT ${CMAKE_CURRENT_LIST_DIR}/terminate_handler.cpp)
  target_link_libraries(ambrelix_terminate_handler PRIVATE ambrelix_options)
endif()

# Linker maps for bench/binary_size.sh: <build>/maps/<target>.map.
option(AMBRELIX_LINK_MAPS "Write a linker map for each executable" OFF)
if(AMBRELIX_LINK_MAPS)
  file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/maps)
  target_link_options(ambrelix_options INTERFACE
    -Wl,-Map=${PROJECT_BINARY_DIR}/maps/$<TARGET_PROPERTY:NAME>.map)
endif()
