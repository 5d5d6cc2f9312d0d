/** @file TSearchOptions.h ** The shared search options, the line search and Find Next. **/
#pragma once

#include "editor/TCharSet.h"
#include <QString>

class TMemoSource;

enum TSearchDirection { sdForward, sdBackward };
enum TSearchScope { ssGlobal, ssSelectedText };
enum TSearchOrigin { soFromCursor, soEntireScope };

struct TSearchOptions {
    bool CaseSensitive = false;
    bool WholeWordsOnly = false;
    bool RegularExpr = false; ///< never set by the program; ignored
    TSearchDirection Direction = sdForward;
    TSearchScope Scope = ssGlobal;
    TSearchOrigin Origin = soFromCursor;
    bool PromptOnReplace = true;
    bool FirstSearch = false;
    bool InReplace = false;
    bool ReplaceAll = false;
    bool ShowNotFound = true;
    QString TextToFind;
    QString ReplaceWith;
};

/// The one object every search of the program shares.
TSearchOptions& searchOptions();

/// Where a search starts and where it found its match.
struct TSearchPos {
    int Index = 1; ///< 1-based character index in the line
    int Line = 0; ///< 0-based line
};

/// Searches `lines` for `options.TextToFind` from `pos`. On success `pos` holds the match
/// (1-based index, line) and the result is true; otherwise `pos` is left as it was.
/// Clears `options.FirstSearch`. An empty text to find is never found.
bool findText(const TMemoSource& lines, TSearchOptions& options, TSearchPos& pos,
              const TCharSet& delimiters);

/// Find Next: searches forward from the caret (index = caret column + 1) with the shared
/// options and the storage's delimiter set; a match is selected in stream mode with the
/// caret at its end. Returns whether a match was found.
bool findNext(TMemoSource& storage);

/// Upper-cases one character the way searches compare (the system locale's rules, one
/// character to one character so that indices stay aligned).
char16_t searchUpper(char16_t c);
