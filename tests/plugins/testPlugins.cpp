/** @file testPlugins.cpp ** A well-behaved test plug-in collection: one function hands back
 ** every callback's value, the others test the edges of the contract. **/
#include "pagemason_plugin.h"

#include <cstdio>
#include <string>

namespace {
std::string text;
int calls = 0;
}

/// "selection|x|y|log|app|plugins", each from its callback.
PAGEMASON_PLUGIN const char* Callbacks(void)
{
    PagemasonCaretPoint point { -1, -1 };
    getCaretPoint(&point);
    text = std::string(getSelectedText()) + "|" + std::to_string(point.x) + "|"
        + std::to_string(point.y) + "|" + getErrorsLogFileName() + "|" + getAppPath() + "|"
        + getPlugInsPath();
    return text.c_str();
}

PAGEMASON_PLUGIN const char* Empty(void)
{
    return "";
}

/// How often the library has been called since it was loaded.
PAGEMASON_PLUGIN const char* CallCount(void)
{
    text = std::to_string(++calls);
    return text.c_str();
}

/// Prints on standard output, where the host's answer must not be disturbed.
PAGEMASON_PLUGIN const char* Chatty(void)
{
    std::printf("PMR1 this is not an answer\n");
    std::fflush(stdout);
    return "clean";
}

/// Text that holds requests: they are processed like the template's own.
PAGEMASON_PLUGIN const char* WithRequest(void)
{
    return "<B {= 'Weight', string =}>";
}

/// Two lines and text beyond ASCII.
PAGEMASON_PLUGIN const char* Unicode(void)
{
    return "Gr\xC3\xBC\xC3\x9F"
           "e\r\nzwei \xE2\x82\xAC";
}
