#include "engine/CSetMessageHandler.h"

#include <atomic>

namespace {
std::atomic<CSetMessageHandler*> g_messageHandler{nullptr};
std::atomic<CSetMessageHandler*> g_rebootHandler{nullptr};
} // namespace

CSetMessageHandler* CSetMessageHandler::GetMessageHandler() {
    return g_messageHandler.load();
}

void CSetMessageHandler::SetMessageHandler(CSetMessageHandler* handler) {
    g_messageHandler.store(handler);
}

CSetMessageHandler* CSetMessageHandler::GetRebootHandler() {
    return g_rebootHandler.load();
}

void CSetMessageHandler::SetRebootHandler(CSetMessageHandler* handler) {
    g_rebootHandler.store(handler);
}
