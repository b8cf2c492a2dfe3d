#include "comms/transfer/EngineFactory.h"

#include "comms/transfer/ascii/AsciiEngine.h"
#include "comms/transfer/bplus/BPlusClient.h"
#include "comms/transfer/bplus/BPlusHost.h"
#include "comms/transfer/kermit/KermitEngine.h"
#include "comms/transfer/xmodem/XmodemEngine.h"
#include "comms/transfer/zmodem/ZmodemEngine.h"

std::unique_ptr<TransferEngine> createTransferEngine(const TransferEngine::Context &context)
{
    switch (context.type) {
    case ProtocolType::Kermit:
        return std::make_unique<KermitEngine>(context);
    case ProtocolType::Xmodem:
    case ProtocolType::XmodemCrc:
    case ProtocolType::Xmodem1K:
    case ProtocolType::Xmodem1KG:
    case ProtocolType::Ymodem:
    case ProtocolType::YmodemG:
        return std::make_unique<XmodemEngine>(context);
    case ProtocolType::Zmodem:
        return std::make_unique<ZmodemEngine>(context);
    case ProtocolType::Ascii:
        return std::make_unique<AsciiEngine>(context);
    case ProtocolType::BPlus:
        if (context.options.bplusHost)
            return std::make_unique<BPlusHost>(context);
        return std::make_unique<BPlusClient>(context);
    default:
        return nullptr;
    }
}
