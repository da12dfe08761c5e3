# add_in_dll(<name> LINK <libraries...>): an add-in's COM server, <name>.dll,
# from the sources every add-in's win/ folder has (com_connect.cpp,
# library.cpp, registration.h, <name>.idl, <name>.def, <name>.rc) and the
# server shell's exports.
function(add_in_dll name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "LINK")
  widl_library(${name} ${name}.idl)
  add_library(${name}_dll SHARED
    com_connect.cpp
    library.cpp
    ${CMAKE_SOURCE_DIR}/host/com/dll_main.cpp
    ${CMAKE_SOURCE_DIR}/host/com/quiet_terminate.cpp
    ${CMAKE_SOURCE_DIR}/host/com/server_exports.cpp
    ${name}.def
    ${name}.rc)
  # The add-in that host/com/dll_main.cpp serves.
  file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/add_in_server.h CONTENT
       "#pragma once\n#include \"${name}/win/com_connect.h\"\n#include \"${name}/win/registration.h\"\n\nnamespace add_in = ${name}::win;\n")
  set_target_properties(${name}_dll PROPERTIES OUTPUT_NAME ${name} PREFIX "")
  add_dependencies(${name}_dll ${name}_idl)
  target_include_directories(${name}_dll PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
  # The resource compiler finds the type library beside the generated header.
  set_source_files_properties(${name}.rc PROPERTIES OBJECT_DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/${name}.tlb)
  target_link_libraries(${name}_dll PRIVATE ${arg_LINK} host_com_addin)
  # Undecorated exports from the .def, and no symbols in the shipped file.
  target_link_options(${name}_dll PRIVATE -Wl,--enable-stdcall-fixup -s)
endfunction()
