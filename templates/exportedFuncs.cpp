/** @file exportedFuncs.cpp ** The callbacks plug-ins find by name in the executable. **/
#include "templates/exportedFuncs.h"

namespace {
TExportedValues values;
std::string selectedCopy; ///< what the last getSelectedText handed out
} // namespace

void setExportedValues(const TExportedValues& v)
{
    values.selectedText = v.selectedText;
    values.caretX = v.caretX;
    values.caretY = v.caretY;
    // A plug-in may keep these pointers for the whole run: only a real change moves them.
    if (values.errorsLogFileName != v.errorsLogFileName)
        values.errorsLogFileName = v.errorsLogFileName;
    if (values.appPath != v.appPath)
        values.appPath = v.appPath;
    if (values.pluginsPath != v.pluginsPath)
        values.pluginsPath = v.pluginsPath;
}

const TExportedValues& exportedValues()
{
    return values;
}

extern "C" {

// The attribute keeps each one in the executable's dynamic symbol table, which is where a
// plug-in looks for it, even though nothing in the program calls it.
__attribute__((visibility("default"), used)) const char* getSelectedText(void)
{
    selectedCopy = values.selectedText;
    return selectedCopy.c_str();
}

__attribute__((visibility("default"), used)) void getCaretPoint(TCaretPoint* point)
{
    if (!point)
        return;
    point->x = values.caretX;
    point->y = values.caretY;
}

__attribute__((visibility("default"), used)) const char* getErrorsLogFileName(void)
{
    return values.errorsLogFileName.c_str();
}

__attribute__((visibility("default"), used)) const char* getAppPath(void)
{
    return values.appPath.c_str();
}

__attribute__((visibility("default"), used)) const char* getPlugInsPath(void)
{
    return values.pluginsPath.c_str();
}
}
