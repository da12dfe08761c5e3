# widl_library(<name> <idl>): compiles an IDL into <name>.tlb and <name>.h in
# the current binary folder, and a target <name>_idl that others depend on.
# The IDL may import the shared IDLs of host/com/idl.
function(widl_library name idl)
  set(out ${CMAKE_CURRENT_BINARY_DIR})
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(bits --win64)
  else()
    set(bits --win32)
  endif()
  add_custom_command(
    OUTPUT ${out}/${name}.tlb ${out}/${name}.h
    COMMAND ${MINGW_WIDL} ${bits} -I${CMAKE_SOURCE_DIR}/host/com/idl -I${CMAKE_CURRENT_SOURCE_DIR}
            -t -T ${out}/${name}.tlb -h -H ${out}/${name}.h ${idl}
    DEPENDS ${idl} ${CMAKE_SOURCE_DIR}/host/com/idl/oaidl.idl ${CMAKE_SOURCE_DIR}/host/com/idl/idtextensibility2.idl
    WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
    VERBATIM)
  add_custom_target(${name}_idl DEPENDS ${out}/${name}.tlb ${out}/${name}.h)
endfunction()
