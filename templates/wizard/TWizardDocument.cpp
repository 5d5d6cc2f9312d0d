/** @file TWizardDocument.cpp ** The installed active document of the input wizard. **/
#include "templates/wizard/TWizardDocument.h"

namespace {
TWizardDocument* activeDocument = nullptr;
} // namespace

TWizardDocument* wizardDocument()
{
    return activeDocument;
}

TWizardDocument* setWizardDocument(TWizardDocument* document)
{
    TWizardDocument* previous = activeDocument;
    activeDocument = document;
    return previous;
}
