/** @file TFakeWizardDocument.h ** A document for tests of the wizard's answers: a file name,
 ** and a Save dialog that chooses `savedAs` or, when that is empty, is cancelled. **/
#pragma once

#include "document/common/TWizardDocument.h"

class TFakeWizardDocument : public TWizardDocument
{
public:
    QString name;
    QString savedAs;
    int saves = 0; ///< times the Save dialog was shown
    QString text() const override { return QString(); }
    QString fileName() const override { return name; }
    bool saveWithDialog() override
    {
        ++saves;
        if (savedAs.isEmpty())
            return false;
        name = savedAs;
        return true;
    }
};
