#include "comms/transfer/EngineFactory.h"

#include "comms/transfer/bplus/BPlusClient.h"
#include "comms/transfer/bplus/BPlusHost.h"

std::unique_ptr<TransferEngine> createTransferEngine(const TransferEngine::Context &context)
{
    switch (context.type) {
    case ProtocolType::BPlus:
        if (context.options.bplusHost)
            return std::make_unique<BPlusHost>(context);
        return std::make_unique<BPlusClient>(context);
    default:
        return nullptr;
    }
}
