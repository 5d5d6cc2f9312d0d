/** @file TWizard.cpp ** The installed input wizard. **/
#include "templates/TWizard.h"

namespace {
TWizard* currentWizard = nullptr;
} // namespace

TWizard* wizard()
{
    return currentWizard;
}

TWizard* setWizard(TWizard* w)
{
    TWizard* previous = currentWizard;
    currentWizard = w;
    return previous;
}
