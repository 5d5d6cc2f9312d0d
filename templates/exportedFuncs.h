/** @file exportedFuncs.h ** The five functions plug-ins call back by name, and the values they
 ** answer with. Plain C++ without Qt, so the plug-in host carries the same code. **/
#pragma once

#include <cstdint>
#include <string>

/// What a plug-in may ask for while it runs: fixed for the length of one call.
struct TExportedValues
{
    std::string selectedText; ///< UTF-8, without the line break that ends the selection
    int32_t caretX = 0; ///< caret column, from 0
    int32_t caretY = 0; ///< caret line, from 0
    std::string errorsLogFileName;
    std::string appPath; ///< ends with "/"
    std::string pluginsPath; ///< ends with "plugins/"
};

/// The record getCaretPoint fills: X then Y.
struct TCaretPoint
{
    int32_t x;
    int32_t y;
};

/// Sets what the exported functions answer from now on.
void setExportedValues(const TExportedValues& values);
const TExportedValues& exportedValues();

extern "C" {
/// Valid until the next call of getSelectedText.
const char* getSelectedText(void);
void getCaretPoint(TCaretPoint* point);
/// The last three stay valid until the values are set again.
const char* getErrorsLogFileName(void);
const char* getAppPath(void);
const char* getPlugInsPath(void);
}
