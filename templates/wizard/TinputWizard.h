/** @file TinputWizard.h ** The input wizard as the template runner sees it: runs a TinputDlg
 ** for the pages and steps of one template run. **/
#pragma once

#include "templates/TWizard.h"

class QWidget;
class TWizardDocument;

class TinputWizard : public TWizard
{
public:
    explicit TinputWizard(QWidget* parent = nullptr, TWizardDocument* document = nullptr)
        : m_parent(parent), m_document(document)
    {
    }
    /// A page handed in with an answer (an edited tag's value) starts with that value.
    bool run(const QString& title, QList<TWizardPage>& pages,
             const QList<TWizardStep>& steps) override;

private:
    QWidget* m_parent;
    TWizardDocument* m_document; ///< handed to every dialog
};

/// Start-up wiring: creates the hidden page templates as a child of `mainWindow` (after
/// `historyFileName` is set, so their combos get the history) and installs the input wizard
/// with `mainWindow` as the parent of its dialogs, working on `activeDocument`. Returns the
/// installed wizard.
TWizard* installInputWizard(QWidget* mainWindow, TWizardDocument* activeDocument = nullptr);
