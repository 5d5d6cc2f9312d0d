# The text storage: lines, caret, selection, undo, colour scheduling and search (QtCore only).
add_library(pm_editor_model STATIC
    ${CMAKE_CURRENT_LIST_DIR}/LineText.h
    ${CMAKE_CURRENT_LIST_DIR}/TCharSet.h
    ${CMAKE_CURRENT_LIST_DIR}/TLineStore.h
    ${CMAKE_CURRENT_LIST_DIR}/TLineStore.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TMemoSource.h
    ${CMAKE_CURRENT_LIST_DIR}/TMemoSourceImpl.h
    ${CMAKE_CURRENT_LIST_DIR}/TMemoSource.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TMemoSourceFiles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TPosition.h
    ${CMAKE_CURRENT_LIST_DIR}/TSearchOptions.h
    ${CMAKE_CURRENT_LIST_DIR}/TSearchOptions.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TUndoRecord.h
    ${CMAKE_CURRENT_LIST_DIR}/TextClipboard.h)
find_package(Threads REQUIRED)
target_link_libraries(pm_editor_model PUBLIC Qt6::Core Threads::Threads)
