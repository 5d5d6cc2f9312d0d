/** @file templateRunner.h ** Runs a template: tag case, requests cut out with their prefix and
 ** suffix, command requests, the wizard and the substitution of its answers. **/
#pragma once

#include "templates/TWizard.h"

#include <QString>
#include <functional>

/// State shared between a run and tag editing at the caret.
struct TTagEditState {
    bool active = false; ///< true only while a tag is being edited
    bool ok = true;      ///< set when a run starts; cleared when no template fits the edited tag
    QString templateText;
    QString tagText;
    /// While active: fills a page from the edited tag before it is added.
    std::function<void(TWizardPage&)> prefillPage;
    /// While active: adds pages for the tag's attributes that the template lacks.
    std::function<void(QList<TWizardPage>&, QList<TWizardStep>&, QString&)> addExtraAttributePages;
};

extern TTagEditState tagEditState;

/// Texts a run inserts from command requests, at most, before it is stopped as runaway.
inline constexpr int maxActionInsertions = 100;
/// Texts inserted by command requests may hold further requests that insert text, this many
/// levels deep: a menu entry that reaches itself again, directly or through other entries,
/// stops here with an error.
inline constexpr int maxActionDepth = 16;
/// Wizard requests one run may ask; the wizard keeps one optional flag per page for 100 pages.
inline constexpr int maxWizardPages = 100;
/// Stands between the "{" and "=" of a "{=" that came from an answer, so typing the result
/// does not read what the user answered as a request. A Unicode noncharacter: it never occurs
/// in text a user typed or loaded, and `insertResult` drops it.
inline constexpr char16_t answerGuard = 0xFDD0;

/// Called by a command action that failed so badly that the run must leave the document as
/// it was (a plug-in that crashed or hung): the run stops, and its caller inserts nothing.
void abandonTemplateRun();
/// True when the last run was abandoned; its result is then empty and must not be typed.
bool templateRunAbandoned();

/// Starts a fresh run (not a tag edit). Empty result when the run failed or was cancelled.
QString runTemplate(const QString& templateText, const QString& title);
/// The run without resetting `tagEditState`.
QString runTemplateCore(const QString& templateText, const QString& title);
