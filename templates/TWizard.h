/** @file TWizard.h ** What the template runner asks of the input wizard: one call with every
 ** request of a run, returning the answers or cancelled. **/
#pragma once

#include <QList>
#include <QString>

/// One wizard request (one page), in template order.
struct TWizardPage {
    int type = 0;        ///< request type code, one of the wizard kinds
    QString description; ///< not transformed
    QString parameters;  ///< after the tag-case transform
    QString prefix;
    QString suffix;      ///< a page may extend it (an image adds its WIDTH and HEIGHT)
    bool optional = false;
    QString answer;      ///< filled by the wizard when it finishes
    /// An edited tag's values the page starts with: `answer` and, for an image, its size.
    bool prefilled = false;
    QString width;
    QString height;
};

/// A step of the wizard: a page, or a message ("msg" requests) shown between pages.
struct TWizardStep {
    QString text; ///< the page's description, or "msg " + the message
    int page = -1; ///< index into the pages; -1 for a message step
    QString message; ///< message steps: the message text
};

class TWizard
{
public:
    virtual ~TWizard() = default;
    /// Shows the steps modally under `title`. Returns false when the user cancelled; on true
    /// every page's answer (and possibly its suffix) is set.
    virtual bool run(const QString& title, QList<TWizardPage>& pages,
                     const QList<TWizardStep>& steps) = 0;
};

/// The wizard in use; without one installed every run that needs a page counts as cancelled.
TWizard* wizard();
/// Installs a wizard (not owned); returns the previous one.
TWizard* setWizard(TWizard* w);
