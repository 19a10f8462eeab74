# Folders are layers. Each folder under src/ is one static library made with
# tabulex_library(); it may depend only on libraries defined before it (src/CMakeLists.txt
# adds the folders from the bottom up), so an upward dependency or a cycle stops the
# configure step. Its headers are reachable as "<folder>/Header.h" only through an include
# folder of its own, which a target sees only when it links the library: an include of a
# higher folder's header does not compile.

# tabulex_library(<name> FOLDER <folder under src> SOURCES ... [DEPENDS <tabulex libraries>]
#                 [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
function(tabulex_library name)
  cmake_parse_arguments(L "" "FOLDER" "SOURCES;DEPENDS;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
  foreach(dep IN LISTS L_DEPENDS)
    if(NOT TARGET ${dep})
      message(FATAL_ERROR "src/${L_FOLDER} (${name}) depends on ${dep}, which is not a layer "
                          "below it: a folder may use only the folders added before it.")
    endif()
  endforeach()
  add_library(${name} STATIC ${L_SOURCES})
  set(include_root "${CMAKE_BINARY_DIR}/include/${name}")
  get_filename_component(link_parent "${include_root}/${L_FOLDER}" DIRECTORY)
  file(MAKE_DIRECTORY "${link_parent}")
  file(CREATE_LINK "${CMAKE_CURRENT_SOURCE_DIR}" "${include_root}/${L_FOLDER}" SYMBOLIC)
  target_include_directories(${name} PUBLIC "${include_root}")
  target_link_libraries(${name} PUBLIC ${L_DEPENDS} ${L_PUBLIC_LIBS} PRIVATE ${L_PRIVATE_LIBS})
  set_property(GLOBAL APPEND PROPERTY TABULEX_LIBRARIES ${name})
endfunction()
