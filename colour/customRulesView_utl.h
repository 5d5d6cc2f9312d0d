/** @file customRulesView_utl.h ** Hands the colour rules' styles to an editor control. **/
#pragma once

class TDCMemo;
class TRules;

/// Replaces the editor's styles with a copy of the rule set's style list.
void applyColorStyles(const TRules& rules, TDCMemo& memo);

/// Reads the colour rules file into `colorRules` again, then gives `memo` a copy of its styles.
/// Document windows call it when they are created and after the rules dialog's OK.
void reloadColorStyles(TDCMemo& memo);
