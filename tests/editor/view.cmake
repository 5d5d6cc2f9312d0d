# Tests of the editor control's view and the go-to-line dialog.
if(NOT TARGET pm_editor_view)
    return()
endif()
pm_add_test(tst_dcmemo SOURCES tst_dcmemo.cpp LIBS pm_editor_view)
pm_add_test(tst_gotoline SOURCES tst_gotoline.cpp LIBS pm_editor_view)
