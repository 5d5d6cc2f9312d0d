/** @file relativePath_utl.h ** Makes an absolute path relative to a document's folder. **/
#pragma once

#include <QString>

class TWizardDocument;

/// The text of the question asked when the document has no file name yet.
extern const QString relativePathSaveQuestion;

/// `path` relative to the folder of `window`'s file where possible: a file in the document's
/// folder or below it loses that folder; a file in a folder above it gets one "../" per level;
/// anything else stays as it is. Only absolute paths ("/...") are changed. An untitled
/// document asks (through the dialogs service) whether to save it first.
QString makeRelativePath(const QString& path, TWizardDocument* window);
