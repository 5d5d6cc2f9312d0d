# Tests of the reopen lists, the hotkeys file and the main window's document handling.
pm_add_test(tst_hotkeys SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_hotkeys.cpp LIBS pm_app_windows)
pm_add_test(tst_reopen SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_reopen.cpp LIBS pm_app_windows)
