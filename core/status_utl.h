/** @file status_utl.h ** Status text, progress, the busy cursor and the results list, for any
 ** part of the program: forwarded to the main window when one is registered. **/
#pragma once

#include <QString>
#include <QStringList>

/// Receives what the functions below are given; the main window registers one.
class TStatusSink
{
public:
    virtual ~TStatusSink() = default;
    virtual void statusChanged(const QString& text) = 0;
    virtual void progressChanged(int position, int maximum) = 0;
    virtual void busyChanged(bool busy) { (void)busy; }
    virtual void resultRowAdded(const QStringList& columns) { (void)columns; }
    virtual void resultsPageShown() {}
};

/// Shows `text` at once; status texts end with "Ready" when an operation is over.
void setStatus(const QString& text);
/// Sets the progress bar's maximum and position; position == maximum resets the bar to 0.
void setProgress(int position, int maximum);
/// The hourglass cursor on (true) or off while a long operation runs; calls pair up.
void setBusyCursor(bool busy);
/// Appends one row to the tools window's results list.
void addResultRow(const QStringList& columns);
/// Makes the results list the tools window's active page.
void showResultsPage();
/// Installs the sink (not owned; null for none); returns the previous one.
TStatusSink* setStatusSink(TStatusSink* sink);
/// The text of the last setStatus call.
QString lastStatusText();
