# Tests of the text storage model and the line search.
pm_add_test(tst_memosource SOURCES tst_memosource.cpp LIBS pm_editor_model)
pm_add_test(tst_memofiles SOURCES tst_memofiles.cpp LIBS pm_editor_model)
pm_add_test(tst_findtext SOURCES tst_findtext.cpp LIBS pm_editor_model)
pm_add_test(tst_linestore SOURCES tst_linestore.cpp LIBS pm_editor_model)
# Inputs the fuzz target found, checked with the target's own property checks.
pm_add_test(tst_memosource_fuzzcases
    SOURCES tst_memosource_fuzzcases.cpp ${CMAKE_SOURCE_DIR}/fuzz/MemoSourceCheck.cpp
    LIBS pm_editor_model)
