# pellwick_host_tool(NAME SOURCES file... [DEPENDS file...] [OPTIMIZE flag] [ALL])
#
# A tool that runs on the machine doing the build: the picture converter,
# the help file generator and the benchmarks' WhoIs server. In a cross build
# the build machine's own compiler makes it, with the warnings every target
# of ours has; otherwise it is an ordinary target NAME. ${NAME}_COMMAND in
# the caller's scope is what a custom command in the same folder runs and
# names in its DEPENDS, which builds the tool first. DEPENDS lists the
# headers the sources include; OPTIMIZE is the host compiler's level (-O1
# unless given). ALL makes a cross-built tool a target NAME of its own,
# built with everything, for a tool that only scripts run: a custom command
# that used its output too would build it twice over.
function(pellwick_host_tool name)
  cmake_parse_arguments(PARSE_ARGV 1 tool "ALL" "OPTIMIZE" "SOURCES;DEPENDS")
  if(NOT tool_OPTIMIZE)
    set(tool_OPTIMIZE -O1)
  endif()
  # The compiler runs in the build folder: it is given whole paths.
  set(sources)
  foreach(source IN LISTS tool_SOURCES)
    cmake_path(ABSOLUTE_PATH source)
    list(APPEND sources ${source})
  endforeach()
  if(CMAKE_CROSSCOMPILING)
    find_program(HOST_CXX NAMES c++ g++ REQUIRED)
    set(output ${CMAKE_CURRENT_BINARY_DIR}/${name})
    add_custom_command(
      OUTPUT ${output}
      COMMAND ${HOST_CXX} -std=c++17 ${tool_OPTIMIZE}
              $<TARGET_PROPERTY:pellwick_warnings,INTERFACE_COMPILE_OPTIONS>
              -o ${output} ${sources}
      DEPENDS ${sources} ${tool_DEPENDS}
      COMMENT "Building ${name} for the build machine"
      COMMAND_EXPAND_LISTS
      VERBATIM)
    if(tool_ALL)
      add_custom_target(${name} ALL DEPENDS ${output})
    endif()
    set(${name}_COMMAND ${output} PARENT_SCOPE)
  else()
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE pellwick_warnings)
    set(${name}_COMMAND $<TARGET_FILE:${name}> PARENT_SCOPE)
  endif()
endfunction()
