/** @file TTemplateHost.h ** What template runs need from the main window: status text, progress,
 ** the busy cursor and the results list. The main window installs its own host. **/
#pragma once

#include <QString>
#include <QStringList>

class TTemplateHost
{
public:
    virtual ~TTemplateHost() = default;
    virtual void setStatus(const QString& text) { (void)text; }
    /// The progress bar shows 0 when position equals maximum.
    virtual void setProgress(int position, int maximum) { (void)position, (void)maximum; }
    virtual void setBusyCursor(bool busy) { (void)busy; }
    /// One row of the tools window's results list.
    virtual void addResultRow(const QStringList& columns) { (void)columns; }
    /// Makes the results page the active page of the tools window.
    virtual void showResultsPage() {}
};

/// The host in use; a silent one until the main window installs its own.
TTemplateHost& templateHost();
/// Installs a host (not owned); null restores the silent one. Returns the previous one.
TTemplateHost* setTemplateHost(TTemplateHost* host);
