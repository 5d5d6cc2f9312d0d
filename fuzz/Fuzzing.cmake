# PAGEMASON_FUZZ: libFuzzer targets for the readers of outside input (clang only; see
# fuzz/run.sh). Every library is built with coverage and the sanitizers; only the targets link
# libFuzzer's main. Included from the top level before the areas, so that the flags reach them
# all; the targets themselves are added after the areas.
option(PAGEMASON_FUZZ "Build the libFuzzer targets in fuzz/ (needs clang++)" OFF)
if(PAGEMASON_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "PAGEMASON_FUZZ needs clang++: -DCMAKE_CXX_COMPILER=clang++")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined
                        -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()
