# Tests of the reopen lists, the hotkeys file and the main window's document side.
pm_add_test(tst_hotkeys SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_hotkeys.cpp LIBS pm_app_windows)
pm_add_test(tst_reopen SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_reopen.cpp LIBS pm_app_windows)
if(TARGET pm_document AND TARGET pm_platform_testing)
    pm_add_test(tst_mainwindows SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_mainwindows.cpp
                LIBS pm_app_frame pm_platform_testing)
endif()
