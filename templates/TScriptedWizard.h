/** @file TScriptedWizard.h ** Test double of the input wizard: answers from a queue and a log of
 ** every run it was asked for. **/
#pragma once

#include "templates/TWizard.h"

#include <QStringList>

/// Installs itself as the wizard while it lives and puts the previous one back afterwards.
/// A run with nothing queued counts as cancelled.
class TScriptedWizard : public TWizard
{
public:
    struct Call {
        QString title;
        QList<TWizardPage> pages; ///< as handed in, before the answers
        QList<TWizardStep> steps;
    };

    TScriptedWizard();
    ~TScriptedWizard() override;
    TScriptedWizard(const TScriptedWizard&) = delete;
    TScriptedWizard& operator=(const TScriptedWizard&) = delete;

    /// Answers for the next run, one per page in order; missing ones stay empty.
    void queueAnswers(const QStringList& answers) { m_script.append(Scripted{false, answers}); }
    void queueCancel() { m_script.append(Scripted{true, QStringList()}); }
    const QList<Call>& calls() const { return m_calls; }

    bool run(const QString& title, QList<TWizardPage>& pages,
             const QList<TWizardStep>& steps) override;

private:
    struct Scripted {
        bool cancel;
        QStringList answers;
    };
    TWizard* m_previous = nullptr;
    QList<Scripted> m_script;
    QList<Call> m_calls;
};
