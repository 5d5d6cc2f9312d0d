/** @file customRulesView_utl.cpp ** Hands the colour rules' styles to an editor control. **/
#include "colour/customRulesView_utl.h"

#include "colour/customRules_utl.h"
#include "editor/TDCMemo.h"

void applyColorStyles(const TRules& rules, TDCMemo& memo)
{
    memo.setTextStyles(applyColorStyles(rules));
}

void reloadColorStyles(TDCMemo& memo)
{
    memo.setTextStyles(reloadColorStyles());
}
