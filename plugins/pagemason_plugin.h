/** @file pagemason_plugin.h ** What a Pagemason plug-in may call back, and how it exports its
 ** functions. C and C++. **/
#ifndef PAGEMASON_PLUGIN_H
#define PAGEMASON_PLUGIN_H

#include <stdint.h>

#ifdef __cplusplus
#define PAGEMASON_PLUGIN extern "C" __attribute__((visibility("default")))
extern "C" {
#else
#define PAGEMASON_PLUGIN __attribute__((visibility("default")))
#endif

/** Filled by getCaretPoint: the caret's column and line, both counted from 0. */
typedef struct PagemasonCaretPoint
{
    int32_t x;
    int32_t y;
} PagemasonCaretPoint;

/** The selected text of the active document (UTF-8), without the line break that ends it;
 ** "" when nothing is selected. Valid until the next call. */
const char* getSelectedText(void);
void getCaretPoint(PagemasonCaretPoint* point);
/** The error log, the program's folder and the plug-ins folder; folders end with "/". */
const char* getErrorsLogFileName(void);
const char* getAppPath(void);
const char* getPlugInsPath(void);

#ifdef __cplusplus
}
#endif

#endif
