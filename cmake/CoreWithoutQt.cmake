# The core of the system is plain C++: tickets, execution, the control's contract and binding, the
# register emulator and the folder watcher use the standard library and platform/ only, so they build
# fast and ThreadSanitizer sees all of their threads. A Qt header included in a core folder fails the
# configuration (and the test "CoreFolders.IncludeNoQtHeader"), naming the file.
#
# The edges that live beside the core they adapt are named here: the control's plug-in declaration,
# the emulator's module entry point, the folder watcher's Qt object with its interface and module
# entry point, and the tests that reach those through Qt.
#
# Included by the build, or run as a script: cmake -DQOR_SOURCE_DIR=<source> -P CoreWithoutQt.cmake

set(QOR_CORE_FOLDERS control_api driver/control driver/ecr driver/tickets emulator monitor)
set(QOR_CORE_EDGES
  control_api/fiscal_control_plugin.h
  emulator/emulator_module.*
  emulator/tests/module_test.cpp
  monitor/qor_monitor_module.*
  monitor/qor_spy*
  monitor/tests/monitor_test_main.cpp
  monitor/tests/notify_recorder.*
  monitor/tests/qor_spy*
)

# The core files below sourceDir that include a Qt header, as paths relative to it.
function(qor_core_files_with_qt sourceDir result)
  set(files "")
  foreach(folder IN LISTS QOR_CORE_FOLDERS)
    file(GLOB_RECURSE found RELATIVE ${sourceDir} ${sourceDir}/${folder}/*.h ${sourceDir}/${folder}/*.cpp)
    list(APPEND files ${found})
  endforeach()
  foreach(edge IN LISTS QOR_CORE_EDGES)
    file(GLOB edgeFiles RELATIVE ${sourceDir} ${sourceDir}/${edge})
    if(edgeFiles)
      list(REMOVE_ITEM files ${edgeFiles})
    endif()
  endforeach()
  set(offenders "")
  foreach(file IN LISTS files)
    file(STRINGS ${sourceDir}/${file} qtIncludes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]Q")
    if(qtIncludes)
      list(APPEND offenders ${file})
    endif()
  endforeach()
  set(${result} ${offenders} PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  qor_core_files_with_qt(${QOR_SOURCE_DIR} offenders)
else()
  qor_core_files_with_qt(${PROJECT_SOURCE_DIR} offenders)
endif()
if(offenders)
  list(JOIN offenders "\n  " named)
  message(FATAL_ERROR "Qt headers are included in the plain C++ core:\n  ${named}")
endif()
