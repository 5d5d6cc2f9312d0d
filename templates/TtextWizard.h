/** @file TtextWizard.h ** A plain input wizard: one page per request, each answered as text. **/
#pragma once

#include "templates/TWizard.h"

class QWidget;

class TtextWizard : public TWizard
{
public:
    explicit TtextWizard(QWidget* parent = nullptr) : m_parent(parent) {}
    bool run(const QString& title, QList<TWizardPage>& pages,
             const QList<TWizardStep>& steps) override;

private:
    QWidget* m_parent;
};
