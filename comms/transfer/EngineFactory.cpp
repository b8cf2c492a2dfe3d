#include "comms/transfer/EngineFactory.h"

std::unique_ptr<TransferEngine> createTransferEngine(const TransferEngine::Context &context)
{
    switch (context.type) {
    default:
        return nullptr;
    }
}
