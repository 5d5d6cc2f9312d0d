/** @file DdeClient.cpp ** The DDE conversations of the browser view, carried out without DDE. **/
#include "platform/DdeClient.h"

#include "platform/Shell.h"

#include <QUrl>

#include <utility>

namespace pm {

bool DesktopDdeClient::converse(const DdeConversation& conversation)
{
    bool answered = true;
    for (const DdeRequest& request : conversation.requests) {
        if (request.topic != QLatin1String("WWW_OpenURL"))
            continue; // WWW_Activate and the like: a freshly started browser is in front anyway
        if (conversation.serviceApplication.isEmpty())
            return false;
        QStringList arguments;
        if (!conversation.document.isEmpty())
            arguments.append(Shell::urlFor(conversation.document).toString(QUrl::FullyEncoded));
        answered = shell().startDetached(conversation.serviceApplication, arguments) && answered;
    }
    return answered;
}

namespace {
    DdeClient* installedClient = nullptr;
}

DdeClient& ddeClient()
{
    if (installedClient)
        return *installedClient;
    static DesktopDdeClient desktop;
    return desktop;
}

DdeClient* setDdeClient(DdeClient* client)
{
    return std::exchange(installedClient, client);
}

} // namespace pm
