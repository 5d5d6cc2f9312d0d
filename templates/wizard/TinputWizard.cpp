/** @file TinputWizard.cpp ** The input wizard as the template runner sees it. **/
#include "templates/wizard/TinputWizard.h"

#include "templates/wizard/inputForm.h"
#include "templates/wizard/inputTemplatesFrm.h"

bool TinputWizard::run(const QString& title, QList<TWizardPage>& pages,
                       const QList<TWizardStep>& steps)
{
    if (pages.isEmpty()) // messages alone show no wizard
        return true;
    TinputDlg dialog(m_parent, m_document);
    QList<int> runnerPage; // by dialog page index
    QList<bool> added(pages.size(), false);
    const auto addPage = [&](int p) {
        const TWizardPage& page = pages.at(p);
        const int k = dialog.addPage(page.type, page.description, page.parameters, page.prefix,
                                     page.suffix, page.optional);
        if (page.prefilled || !page.answer.isEmpty())
            dialog.setPageValue(k, page.answer, page.width, page.height);
        runnerPage.append(p);
        added[p] = true;
    };
    for (const TWizardStep& step : steps) {
        if (step.page < 0)
            dialog.addMessageStep(step.message);
        else if (step.page < pages.size() && !added.at(step.page))
            addPage(step.page);
    }
    for (int p = 0; p < pages.size(); ++p) // pages without a step still get asked
        if (!added.at(p))
            addPage(p);
    if (!dialog.showWizard(title))
        return false;
    for (int k = 0; k < runnerPage.size(); ++k) {
        pages[runnerPage.at(k)].answer = dialog.answers.at(k);
        pages[runnerPage.at(k)].suffix = dialog.suffixes.at(k);
    }
    return true;
}

TWizard* installInputWizard(QWidget* mainWindow, TWizardDocument* activeDocument)
{
    auto* templates = new TinputTemplates(mainWindow);
    templates->hide();
    static TinputWizard inputWizard(nullptr);
    inputWizard = TinputWizard(mainWindow, activeDocument);
    setWizard(&inputWizard);
    return &inputWizard;
}
