/** @file urlWizard_utl.h ** The URL wizard's resource types, their field layouts and the
 ** composition of a URL from its parts. **/
#pragma once

#include <QString>
#include <QStringList>
#include <array>

/// "http", "afs", ..., "wais": the index is the type used below.
extern const QStringList urlResourceTypes;

enum TUrlField { urlHost, urlPort, urlPath, urlFileName, urlTarget, urlFieldCount };

/// The five field edits' texts, in the dialog's order (host, port, path, file name, target).
using TUrlParts = std::array<QString, urlFieldCount>;

struct TUrlFieldLayout {
    bool visible = false;
    QString separator; ///< shown before the field; empty hides the separator panel
    QString caption;
};
using TUrlLayout = std::array<TUrlFieldLayout, urlFieldCount>;

/// Captions and separators of the visible fields for a type; all hidden for an unknown type.
TUrlLayout urlLayout(int type);
/// The URL for a type and its parts; empty for an unknown type. Parts of hidden fields are
/// not used.
QString composeUrl(int type, const TUrlParts& parts);
