#include "comms/transfer/ProtocolEngine.h"
#include "script/ScriptPaths.h"
#include "script/ScriptTables.h"
#include "script/TScript.h"

namespace {

bool isTrue(const QString &text)
{
    return text.trimmed().toUpper() == QLatin1String("T");
}

} // namespace

void TScript::setOption(const TScriptNode &node)
{
    switch (node.Option) {
    case ScriptTables::Retry:
        RetryLimit = std::uint8_t(node.Number & 0xff);
        break;
    case ScriptTables::Directory:
        ensureProtocol().setDestinationDirectory(ScriptPaths::foundPath(Evaluate(node.Data)));
        break;
    case ScriptTables::FileMask:
        ensureProtocol().setFileMask(ScriptPaths::foundPath(Evaluate(node.Data)));
        break;
    case ScriptTables::FileName:
        ensureProtocol().setFileName(Evaluate(node.Data));
        break;
    case ScriptTables::WriteFail:
        ensureProtocol().options().writeFailAction = WriteFailAction::Reject;
        break;
    case ScriptTables::WriteRename:
        ensureProtocol().options().writeFailAction = WriteFailAction::Rename;
        break;
    case ScriptTables::WriteAnyway:
        ensureProtocol().options().writeFailAction = WriteFailAction::Overwrite;
        break;
    case ScriptTables::ZWriteClobber:
        ensureProtocol().options().zmodemFileOption = ZmodemFileOption::Overwrite;
        break;
    case ScriptTables::ZWriteProtect:
        ensureProtocol().options().zmodemFileOption = ZmodemFileOption::Protect;
        break;
    case ScriptTables::ZWriteNewer:
        ensureProtocol().options().zmodemFileOption = ZmodemFileOption::Newer;
        break;
    case ScriptTables::ZSkipNoFile:
        ensureProtocol().options().zmodemSkipNoFile = isTrue(Evaluate(node.Data));
        break;
    case ScriptTables::AbortNoCarrier:
        ensureProtocol().options().abortNoCarrier = isTrue(Evaluate(node.Data));
        break;
    case ScriptTables::Result1: {
        bool ok = false;
        const int value = Evaluate(node.Data).trimmed().toInt(&ok);
        Result1 = ok ? value : 0;
        break;
    }
    case ScriptTables::Result2:
        Result2 = Evaluate(node.Data);
        break;
    case ScriptTables::Variable:
        vars().add(node.Data).Value = Evaluate(node.Data2);
        break;
    case ScriptTables::ConfigFile:
        ConfigFile = Evaluate(node.Data);
        break;
    default:
        break;
    }
}
