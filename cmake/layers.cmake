# The engine is built in layers, bottom to top:
#
#   quillmore_script     script/    pure script core, no <windows.h>
#   quillmore_platform   platform/  thin wrappers of Windows services
#   quillmore_engine     engine/    the run: Engine context, interpreter, trace, start-up
#   quillmore_commands   commands/  command families       } subsystems, each using
#   quillmore_installer  installer/ Windows Installer side } the engine and nothing
#   quillmore_wizard     wizard/    dialogs and progress   } of each other
#   quillmore_program    program/   wires the subsystems into the Engine
#
# qm_layer(<target> FOLDERS <folder>... [USES <layer target>...]
#          [SOURCES ...] [LIBRARIES ...])
#
# makes a static library whose sources see, on their include path, only a
# view folder holding links to their own folders and to the folders of the
# layers they use (and of the layers those use). An include of a layer that
# is not below ("engine/engine.h" in platform/) names a file that is not there,
# so the build refuses it.
function(qm_layer target)
  cmake_parse_arguments(ARG "" "" "FOLDERS;USES;SOURCES;LIBRARIES" ${ARGN})
  add_library(${target} STATIC ${ARG_SOURCES})

  set(folders ${ARG_FOLDERS})
  foreach(used IN LISTS ARG_USES)
    get_target_property(used_folders ${used} QM_LAYER_FOLDERS)
    list(APPEND folders ${used_folders})
  endforeach()
  list(REMOVE_DUPLICATES folders)
  set_target_properties(${target} PROPERTIES QM_LAYER_FOLDERS "${folders}")

  qm_include_view(${target} ${folders})
  target_link_libraries(${target} PUBLIC ${ARG_USES} ${ARG_LIBRARIES})
endfunction()

# qm_include_view(<target> <folder>...): the target's sources see only these
# folders of the source tree on their include path.
function(qm_include_view target)
  set(view "${CMAKE_BINARY_DIR}/layers/${target}")
  file(REMOVE_RECURSE "${view}")
  file(MAKE_DIRECTORY "${view}")
  foreach(folder IN LISTS ARGN)
    file(CREATE_LINK "${CMAKE_SOURCE_DIR}/${folder}" "${view}/${folder}" SYMBOLIC)
  endforeach()
  target_include_directories(${target} PRIVATE "${view}")
endfunction()

# The view of a layer, for tests that show what it cannot include.
function(qm_layer_view target out_variable)
  set(${out_variable} "${CMAKE_BINARY_DIR}/layers/${target}" PARENT_SCOPE)
endfunction()
