/** @file TreplaceDlg.h ** The replace question, asked at each match, and the interface through
 ** which a replace run asks it (tests answer it from a script). **/
#pragma once

#include "search/engine/TFileSearch.h"

#include <QDialog>

/// Asks the replace question about the match now selected in its document window.
class TReplaceQuestion
{
public:
    virtual ~TReplaceQuestion() = default;
    virtual TReplaceAnswer ask(QWidget* over) = 0;
};

/// The small tool window "Replace ?" with its six answers. Closing it (or Escape) answers
/// "Abort all files": nothing more is changed.
class TreplaceDlg : public QDialog, public TReplaceQuestion
{
    Q_OBJECT
public:
    explicit TreplaceDlg(QWidget* parent = nullptr);
    TReplaceAnswer ask(QWidget* over) override;

private:
    TReplaceAnswer m_answer = TReplaceAnswer::AbortAllFiles;
};
