/** @file TScriptedWizard.cpp ** Test double of the input wizard. **/
#include "templates/TScriptedWizard.h"

TScriptedWizard::TScriptedWizard() : m_previous(setWizard(this)) {}

TScriptedWizard::~TScriptedWizard()
{
    setWizard(m_previous);
}

bool TScriptedWizard::run(const QString& title, QList<TWizardPage>& pages,
                          const QList<TWizardStep>& steps)
{
    m_calls.append({title, pages, steps});
    if (m_script.isEmpty())
        return false;
    const Scripted next = m_script.takeFirst();
    if (next.cancel)
        return false;
    for (qsizetype k = 0; k < pages.size() && k < next.answers.size(); ++k)
        pages[k].answer = next.answers.at(k);
    return true;
}
