/** @file TTemplateHost.cpp ** The installed template host. **/
#include "templates/TTemplateHost.h"

namespace {
TTemplateHost silentHost;
TTemplateHost* currentHost = &silentHost;
} // namespace

TTemplateHost& templateHost()
{
    return *currentHost;
}

TTemplateHost* setTemplateHost(TTemplateHost* host)
{
    TTemplateHost* previous = currentHost == &silentHost ? nullptr : currentHost;
    currentHost = host ? host : &silentHost;
    return previous;
}
