/** @file programForms.cpp ** The forms created hidden after the main window, and the links
 ** between areas that only the program as a whole can make. **/
#include "app/programForms.h"

#include "app/TMainForm.h"
#include "app/startup_utl.h"
#include "colour/TcustomRulesDlg.h"
#include "document/Childwin.h"
#include "editor/TDCMemo.h"
#include "templates/wizard/TWizardDocument.h"
#include "templates/wizard/TinputWizard.h"

namespace {

/// Follows whichever document window is active, so nothing has to be re-installed when the
/// user switches windows.
class ActiveDocumentForWizard : public TWizardDocument
{
public:
    QString text() const override
    {
        TMDIChild* w = activeDocumentWindow();
        return w ? w->source().text() : QString();
    }
    QString fileName() const override
    {
        TMDIChild* w = activeDocumentWindow();
        return w ? w->fileName : QString();
    }
    bool saveWithDialog() override
    {
        TMDIChild* w = activeDocumentWindow();
        return w && saveAs(w);
    }
};

ActiveDocumentForWizard activeDocument;

void recolorAllDocuments()
{
    for (TMDIChild* w : documentWindows()) {
        w->setupColouring();
        w->editor()->viewport()->update();
    }
}

} // namespace

void installProgramForms()
{
    startupHooks.createForms = [] {
        installInputWizard(mainForm);
        setWizardDocument(&activeDocument);
        TcustomRulesDlg::recolorDocuments = recolorAllDocuments;
    };
}
