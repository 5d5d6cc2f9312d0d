/** @file status_utl.cpp ** Forwards status and progress to the registered sink. **/
#include "app/status_utl.h"

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

TStatusSink* setStatusSink(TStatusSink* sink)
{
    return std::exchange(statusSink, sink);
}

QString lastStatusText()
{
    return lastStatus;
}
