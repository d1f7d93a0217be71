# The driver's desktop face: tray icon and menu, About dialog, folder chooser and the administration
# sheet opened from the menu. Only the desktop program links it; the headless driver runs without.
add_library(qor_driver_desktop STATIC
  ${CMAKE_CURRENT_LIST_DIR}/about_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/desktop_shell.cpp
  ${CMAKE_CURRENT_LIST_DIR}/driver_sheet_host.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_chooser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_translation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tray_commands.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tray_icon.cpp
)
target_include_directories(qor_driver_desktop PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(qor_driver_desktop PUBLIC qor_driver_shell qor_admin_sheet qor_messages Qt6::Widgets)

target_link_libraries(QorDriver PRIVATE qor_driver_desktop)

# The tray icon's image lies in the base directory, which for a build run is the build's bin folder.
if(EXISTS ${PROJECT_SOURCE_DIR}/resources/brand.ico)
  configure_file(${PROJECT_SOURCE_DIR}/resources/brand.ico ${CMAKE_BINARY_DIR}/bin/brand.ico COPYONLY)
endif()

# The tool that draws that image and renders the pictures of the desktop face.
add_subdirectory(${PROJECT_SOURCE_DIR}/tools/screenshots ${CMAKE_BINARY_DIR}/tools/screenshots)

if(QOR_BUILD_TESTS)
  add_subdirectory(${CMAKE_CURRENT_LIST_DIR}/gui_tests ${CMAKE_CURRENT_BINARY_DIR}/gui_tests)
endif()
