/** @file status_utl.h ** Status text and progress of long operations, for any part of the program:
 ** forwarded to the main window when one is registered. **/
#pragma once

#include <QString>

/// Receives what setStatus and setProgress are given; the main window registers one.
class TStatusSink
{
public:
    virtual ~TStatusSink() = default;
    virtual void statusChanged(const QString& text) = 0;
    virtual void progressChanged(int position, int maximum) = 0;
};

/// Shows `text` at once; status texts end with "Ready" when an operation is over.
void setStatus(const QString& text);
/// Sets the progress bar's maximum and position; position == maximum resets the bar to 0.
void setProgress(int position, int maximum);
/// Installs the sink (not owned; null for none); returns the previous one.
TStatusSink* setStatusSink(TStatusSink* sink);
/// The text of the last setStatus call.
QString lastStatusText();
