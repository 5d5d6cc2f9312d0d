# The document windows' part of the application shell: reopen lists and hotkeys, and the
# rest of the main window. Included at the end of app/CMakeLists.txt.
add_library(pm_app_windows STATIC
    ${CMAKE_CURRENT_LIST_DIR}/hotkeys_utl.h ${CMAKE_CURRENT_LIST_DIR}/hotkeys_utl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/reopen_utl.h ${CMAKE_CURRENT_LIST_DIR}/reopen_utl.cpp)
target_link_libraries(pm_app_windows PUBLIC pm_app_core pm_platform Qt6::Widgets)
