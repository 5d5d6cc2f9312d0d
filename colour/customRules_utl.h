/** @file customRules_utl.h ** The global rule set and the colour rules file: load, save, and
 ** hand the styles to an editor control. **/
#pragma once

#include "colour/TRules.h"
#include "editor/TTextStyles.h"

#include <QString>

/// The one rule set every document window matches against; lives for the whole run.
extern TRules colorRules;

/// Reads the file into `rules`, replacing both lists. A missing file is reported with code 1
/// and leaves `rules` as it was. A bad number is reported with code 14 and stops the read,
/// keeping what was read before it. Returns true when the whole file was read.
bool loadColorRules(TRules& rules, const QString& fileName);

/// Writes both lists, CR LF line ends, through a temporary file renamed over the old one, so a
/// failed save (reported with code 14) leaves the old file whole. Returns true on success.
bool saveColorRules(const TRules& rules, const QString& fileName);

/// The style list an editor control gets: a copy of the rule set's styles.
TTextStyles applyColorStyles(const TRules& rules);

/// Reads `colorRulesFileName` into `colorRules` again and returns the styles for an editor.
TTextStyles reloadColorStyles();
