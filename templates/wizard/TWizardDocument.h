/** @file TWizardDocument.h ** What the input wizard needs of the active document window: its
 ** text (attlist pages) and its file name (relative paths). The document windows install one. **/
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

/// The active document, or null when no document window is open.
TWizardDocument* wizardDocument();
/// Installs the active document (not owned); returns the previous one.
TWizardDocument* setWizardDocument(TWizardDocument* document);
