# The document windows' part of the application shell. Included at the end of
# app/CMakeLists.txt.
# pm_app_windows: reopen lists and the hotkeys file (the document windows use them).
# pm_app_frame: the tools window, the image preview, the hotkey panel and the main window's
# document side (menu merging, drops, start-up steps); it sits on the document windows.
add_library(pm_app_windows STATIC
    ${CMAKE_CURRENT_LIST_DIR}/hotkeys_utl.h ${CMAKE_CURRENT_LIST_DIR}/hotkeys_utl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/reopen_utl.h ${CMAKE_CURRENT_LIST_DIR}/reopen_utl.cpp)
target_link_libraries(pm_app_windows PUBLIC pm_app_core pm_platform Qt6::Widgets)

add_library(pm_app_frame STATIC
    ${CMAKE_CURRENT_LIST_DIR}/TToolWindow.h ${CMAKE_CURRENT_LIST_DIR}/TToolWindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TImagePreviewWindow.h ${CMAKE_CURRENT_LIST_DIR}/TImagePreviewWindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/THotkeyPanel.h ${CMAKE_CURRENT_LIST_DIR}/THotkeyPanel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TMainFormWindows.h ${CMAKE_CURRENT_LIST_DIR}/TMainFormWindows.cpp
    ${CMAKE_CURRENT_LIST_DIR}/programForms.h ${CMAKE_CURRENT_LIST_DIR}/programForms.cpp)
# The document area is configured after this one; the name resolves when it exists.
target_link_libraries(pm_app_frame PUBLIC pm_app_windows $<TARGET_NAME_IF_EXISTS:pm_document>
                      $<TARGET_NAME_IF_EXISTS:pm_wizard_ui> $<TARGET_NAME_IF_EXISTS:pm_colour_ui>
                      pm_platform pm_platform_shell Qt6::Widgets)

# The main window owns the document side, whose start-up steps fill the main window's seams:
# the two static libraries need each other.
target_link_libraries(pm_app_ui PUBLIC pm_app_frame)
target_link_libraries(pm_app_frame PUBLIC pm_app_ui)
