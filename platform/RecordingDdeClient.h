/** @file RecordingDdeClient.h ** Test double of the DDE client: records every conversation. **/
#pragma once

#include "platform/DdeClient.h"

namespace pm {

/// Installs itself as the client while it lives and puts the previous one back afterwards.
class RecordingDdeClient : public DdeClient
{
public:
    RecordingDdeClient();
    ~RecordingDdeClient() override;
    RecordingDdeClient(const RecordingDdeClient&) = delete;
    RecordingDdeClient& operator=(const RecordingDdeClient&) = delete;

    bool converse(const DdeConversation& conversation) override;

    QList<DdeConversation> conversations;
    bool result = true; ///< what every conversation answers

private:
    DdeClient* m_previous = nullptr;
};

} // namespace pm
