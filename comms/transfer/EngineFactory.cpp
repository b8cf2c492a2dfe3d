#include "comms/transfer/EngineFactory.h"

#include "comms/transfer/zmodem/ZmodemEngine.h"

std::unique_ptr<TransferEngine> createTransferEngine(const TransferEngine::Context &context)
{
    switch (context.type) {
    case ProtocolType::Zmodem:
        return std::make_unique<ZmodemEngine>(context);
    default:
        return nullptr;
    }
}
