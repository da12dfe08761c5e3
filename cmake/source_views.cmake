# Each library sees only the source folders it may include from: a view of
# links in the build tree, given to it (and, PUBLIC, to whatever links it)
# as its include directory. So an add-in that includes the stand-in, host/
# that includes an add-in, or one add-in that includes the other fails to
# compile; portable code that includes a Windows header fails in the
# native build, which has none.
function(source_view target scope)
  set(view ${CMAKE_BINARY_DIR}/views/${target})
  foreach(dir ${ARGN})
    if(NOT EXISTS ${view}/${dir})
      get_filename_component(parent ${view}/${dir} DIRECTORY)
      file(MAKE_DIRECTORY ${parent})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${dir} ${view}/${dir} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${target} ${scope} ${view})
endfunction()
