/** @file TTemplateHost.cpp ** The installed template host. **/
#include "templates/TTemplateHost.h"

#include "app/status_utl.h"

void TTemplateHost::setStatus(const QString& text)
{
    ::setStatus(text);
}

void TTemplateHost::setProgress(int position, int maximum)
{
    ::setProgress(position, maximum);
}

namespace {
TTemplateHost defaultHost;
TTemplateHost* currentHost = &defaultHost;
} // namespace

TTemplateHost& templateHost()
{
    return *currentHost;
}

TTemplateHost* setTemplateHost(TTemplateHost* host)
{
    TTemplateHost* previous = currentHost == &defaultHost ? nullptr : currentHost;
    currentHost = host ? host : &defaultHost;
    return previous;
}
