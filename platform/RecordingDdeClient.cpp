/** @file RecordingDdeClient.cpp ** DDE client double that only records. **/
#include "platform/RecordingDdeClient.h"

namespace pm {

RecordingDdeClient::RecordingDdeClient()
    : m_previous(setDdeClient(this))
{
}

RecordingDdeClient::~RecordingDdeClient()
{
    setDdeClient(m_previous);
}

bool RecordingDdeClient::converse(const DdeConversation& conversation)
{
    conversations.append(conversation);
    return result;
}

} // namespace pm
