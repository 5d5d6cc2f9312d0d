/** @file TTemplateHost.h ** What template runs need from the main window: status text, progress,
 ** the busy cursor and the results list. **/
#pragma once

#include <QString>
#include <QStringList>

class TTemplateHost
{
public:
    virtual ~TTemplateHost() = default;
    /// By default the program's status line (setStatus).
    virtual void setStatus(const QString& text);
    /// By default the program's progress bar, which shows 0 when position equals maximum.
    virtual void setProgress(int position, int maximum);
    virtual void setBusyCursor(bool busy) { (void)busy; }
    /// One row of the tools window's results list.
    virtual void addResultRow(const QStringList& columns) { (void)columns; }
    /// Makes the results page the active page of the tools window.
    virtual void showResultsPage() {}
};

/// The host in use; until the main window installs its own, status and progress still reach
/// the status line and the rest is silent.
TTemplateHost& templateHost();
/// Installs a host (not owned); null restores the silent one. Returns the previous one.
TTemplateHost* setTemplateHost(TTemplateHost* host);
