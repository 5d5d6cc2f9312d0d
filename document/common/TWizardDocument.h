/** @file TWizardDocument.h ** What the input wizard and the path routines need of a document
 ** window: its text (attlist pages) and its file name (relative paths). **/
#pragma once

#include <QString>

class TWizardDocument
{
public:
    virtual ~TWizardDocument() = default;
    virtual QString text() const = 0;
    /// Full file name; empty while the document is untitled.
    virtual QString fileName() const = 0;
    /// Shows the Save dialog and saves under the chosen name; false when cancelled or failed.
    virtual bool saveWithDialog() = 0;
};
