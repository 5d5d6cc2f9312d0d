/** @file DdeClient.h ** Requests to a browser's DDE service, kept as data (service, topic, item,
 ** time-out) and carried out the way browsers accept a page on this desktop. **/
#pragma once

#include <QList>
#include <QString>

namespace pm {

/// One request transaction in text format on a topic; the answer is not used.
struct DdeRequest
{
    QString topic;
    QString item;
    friend bool operator==(const DdeRequest&, const DdeRequest&) = default;
};

/// A client conversation from opening the link to freeing it, requests in order.
struct DdeConversation
{
    /// The program started when no server answers (the browser's path).
    QString serviceApplication;
    QString service; ///< "IExplore", "Netscape"
    QList<DdeRequest> requests;
    int timeoutMs = 10000;
    /// The file the conversation shows; empty for an untitled document.
    QString document;
};

class DdeClient
{
public:
    virtual ~DdeClient() = default;
    /// Carries out the conversation. False when nothing answered (no server, no program);
    /// callers report nothing, as a silent time-out does.
    virtual bool converse(const DdeConversation& conversation) = 0;
};

/// No DDE on this desktop: activating does nothing, and opening an address starts the service
/// application detached, through the shell, with the page's file: URL as its one argument.
class DesktopDdeClient : public DdeClient
{
public:
    bool converse(const DdeConversation& conversation) override;
};

/// The client in use; the desktop's unless another was installed.
DdeClient& ddeClient();
/// Installs a client (not owned; null goes back to the desktop's); returns the previous one.
DdeClient* setDdeClient(DdeClient* client);

} // namespace pm
