#include "comms/transfer/EngineFactory.h"

#include "comms/transfer/kermit/KermitEngine.h"

std::unique_ptr<TransferEngine> createTransferEngine(const TransferEngine::Context &context)
{
    switch (context.type) {
    case ProtocolType::Kermit:
        return std::make_unique<KermitEngine>(context);
    default:
        return nullptr;
    }
}
