# A library's headers are reachable only through the library. Every header of the folder
# that defines the library (not of its sub-folders) gets a link in a folder of the build
# tree that belongs to this library alone, under its path in the source tree
# ("xls/workbook.h"); that folder is the library's include directory. So a target sees a
# layer's headers only when it links the layer's library, directly or through a library
# whose own headers need them (a PUBLIC link), and an #include against the layer map fails
# to build. Sub-folders named after SUBFOLDERS belong to the library too ("xls/formula/").
function(schreiber_headers target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SUBFOLDERS")
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set(root ${PROJECT_BINARY_DIR}/headers/${target})
  set(patterns ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(sub IN LISTS arg_SUBFOLDERS)
    list(APPEND patterns ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/*.h)
  endforeach()
  file(GLOB headers CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${patterns})
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root}/${folder})
  foreach(sub IN LISTS arg_SUBFOLDERS)
    file(MAKE_DIRECTORY ${root}/${folder}/${sub})
  endforeach()
  foreach(header IN LISTS headers)
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${header} ${root}/${folder}/${header} SYMBOLIC)
  endforeach()
  target_include_directories(${target} PUBLIC ${root})
endfunction()
