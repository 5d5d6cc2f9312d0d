/** @file programForms.h ** The forms created hidden after the main window, and the links
 ** between areas that only the program as a whole can make. **/
#pragma once

/// Sets the `createForms` start-up step: the wizard's page templates and the installed
/// wizard, the wizard's view of the active document, and recolouring every document after
/// the colour rules dialog saves.
void installProgramForms();
