#pragma once

#include "comms/transfer/TransferEngine.h"

#include <memory>

// The engine for context.type, or null when that protocol is not available.
std::unique_ptr<TransferEngine> createTransferEngine(const TransferEngine::Context &context);
