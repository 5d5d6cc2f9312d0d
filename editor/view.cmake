# pm_editor_view: the editor control's widget, its dialogs and the system clipboard.
if(NOT TARGET pm_editor_model)
    message(STATUS "editor view: waiting for pm_editor_model")
    return()
endif()
add_library(pm_editor_view STATIC
    ${CMAKE_CURRENT_LIST_DIR}/colorValue_utl.h
    ${CMAKE_CURRENT_LIST_DIR}/colorValue_utl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TLineMetrics.h
    ${CMAKE_CURRENT_LIST_DIR}/TLineMetrics.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TQtClipboard.h
    ${CMAKE_CURRENT_LIST_DIR}/TQtClipboard.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TDCMemo.h
    ${CMAKE_CURRENT_LIST_DIR}/TDCMemo.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TGoToLineDlg.h
    ${CMAKE_CURRENT_LIST_DIR}/TGoToLineDlg.cpp)
target_link_libraries(pm_editor_view PUBLIC pm_editor_model Qt6::Widgets)

# A window with just the editor control, for trying it by hand (not built by default).
add_executable(pagemason-memo-demo EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/memo_demo.cpp)
target_link_libraries(pagemason-memo-demo PRIVATE pm_editor_view)
