/** @file status_utl.cpp ** Forwards status, progress and results to the registered sink. **/
#include "core/status_utl.h"

#include <utility>

namespace {
TStatusSink* statusSink = nullptr;
QString lastStatus = QStringLiteral("Ready");
} // namespace

void setStatus(const QString& text)
{
    lastStatus = text;
    if (statusSink)
        statusSink->statusChanged(text);
}

void setProgress(int position, int maximum)
{
    if (statusSink)
        statusSink->progressChanged(position, maximum);
}

void setBusyCursor(bool busy)
{
    if (statusSink)
        statusSink->busyChanged(busy);
}

void addResultRow(const QStringList& columns)
{
    if (statusSink)
        statusSink->resultRowAdded(columns);
}

void showResultsPage()
{
    if (statusSink)
        statusSink->resultsPageShown();
}

TStatusSink* setStatusSink(TStatusSink* sink)
{
    return std::exchange(statusSink, sink);
}

QString lastStatusText()
{
    return lastStatus;
}
