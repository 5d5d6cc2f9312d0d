/** @file commandActions_utl.h ** The command requests that need no window: "plugin" with its
 ** errors and "goto", and the values the plug-in callbacks answer with. **/
#pragma once

#include "templates/exportedFuncs.h"

#include <QString>
#include <optional>

class TMemoSource;

/// "tools.so, Upper Case": the collection before the first "," less trailing blanks (leading
/// ones stay), the function after it without any blank or ",".
struct TPluginRequest
{
    QString collection;
    QString function;
};
TPluginRequest parsePluginParameters(const QString& parameters);

/// The collection file for `collection` in `folder`: the name as written, or else the one
/// entry of the folder whose name differs from it only in case (as the tag case may change
/// it). Folder + name when neither exists.
QString pluginCollectionPath(const QString& folder, const QString& collection);

/// What the callbacks answer for `editor` (its selection and caret; null: none) and the
/// program's paths.
TExportedValues exportedValuesFor(const TMemoSource* editor);

/// "plugin": calls the function in the helper with `values` and returns its text; after an
/// error (code 21 function not found, 22 collection not loaded, 23 failure in the call),
/// reported once, nothing. A failure in the call also abandons the template run, so the
/// document stays as it was.
std::optional<QString> pluginAction(const QString& parameters, const TExportedValues& values);

/// "'text', columns, lines" (both offsets optional, "+" allowed). Empty optional when the
/// offsets are not numbers.
struct TGotoRequest
{
    QString text;
    int columns = 0;
    int lines = 0;
};
std::optional<TGotoRequest> parseGotoParameters(const QString& parameters);

/// "goto": finds the text in `editor` (from the top, ignoring case) and puts the caret at its
/// start moved by the offsets; nothing when it is not found. The user's own search options
/// are left as they were.
void gotoAction(const QString& parameters, TMemoSource& editor);
