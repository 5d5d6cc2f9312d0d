/** @file TRequestActions.cpp ** The installed command actions. **/
#include "templates/TRequestActions.h"

namespace {
TRequestActions inertActions;
TRequestActions* currentActions = &inertActions;
} // namespace

TRequestActions& requestActions()
{
    return *currentActions;
}

TRequestActions* setRequestActions(TRequestActions* actions)
{
    TRequestActions* previous = currentActions == &inertActions ? nullptr : currentActions;
    currentActions = actions ? actions : &inertActions;
    return previous;
}
