// The command dispatch: one case per command the interpreter runs.
#include "comms/line/Comport.h"
#include "script/ScriptExec.h"
#include "script/ScriptFileCommands.h"
#include "script/ScriptIniFile.h"
#include "script/ScriptPaths.h"
#include "script/ScriptTables.h"
#include "script/ScriptTerminal.h"
#include "script/TScript.h"
#include "shell/UserPrompt.h"

using namespace ScriptTables;

qsizetype TScript::labelIndex(const QString &name) const
{
    const QString wanted = name.toUpper();
    const auto &list = records();
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].Command == Label && list[i].Data.toUpper() == wanted)
            return qsizetype(i);
    return qsizetype(list.size());
}

// PLAYSOUND goes on to the next record.
void TScript::perform(const TScriptNode &node)
{
    switch (node.Command) {
    case InitPort:
        initPort(node);
        break;
    case DonePort:
        donePort();
        break;
    case Send:
        port_->putString(Evaluate(node.Data));
        break;
    case Wait:
        waitFor(node);
        break;
    case WaitMulti:
        waitMulti(node);
        break;
    case If:
        if (node.Condition == LastCondition)
            next_ = labelIndex(Evaluate(node.Data));
        break;
    case Display: {
        const QString text = Evaluate(node.Data);
        if (DisplayToTerminal && terminal_)
            terminal_->display(text);
        emit OnScriptDisplay(this, text);
        break;
    }
    case Goto:
        next_ = labelIndex(Evaluate(node.Data));
        break;
    case SendBreak:
        if (port_->isOpen())
            port_->sendBreak(node.Number, false);
        break;
    case Delay:
        delay(node);
        break;
    case Set:
        setOption(node);
        break;
    case Upload:
    case Download:
        startTransfer(node, node.Command == Upload);
        break;
    case SendFile:
        sendFile(Evaluate(node.Data));
        break;
    case WaitForTime:
        waitForTime(node);
        break;
    case OpenClient:
        openClient(node);
        break;
    case Parity:
        setParity(Evaluate(node.Data));
        break;
    case DataBits:
    case StopBits: {
        bool ok = false;
        const int value = Evaluate(node.Data).trimmed().toInt(&ok);
        if (ok && node.Command == DataBits)
            port_->setDataBits(value);
        else if (ok)
            port_->setStopBits(value);
        break;
    }
    case Capture:
        if (terminal_) {
            const QString word = Evaluate(node.Data).toUpper();
            if (word == QLatin1String("ON") || word == QLatin1String("OFF"))
                terminal_->setCapture(word == QLatin1String("ON"));
        }
        break;
    case CaptureFile:
        if (terminal_ && !node.Data.isEmpty())
            terminal_->setCaptureFile(ScriptPaths::foundPath(Evaluate(node.Data).left(255)));
        break;
    case Shutdown:
        ShutdownRequested = true;
        state_ = RunState::Finished;
        break;
    case ClearWindow:
        if (terminal_)
            terminal_->clearWindow();
        break;
    case ClearBuffer:
        if (terminal_)
            terminal_->clearBuffer();
        break;
    case Input: {
        const QString caption = Evaluate(node.Data);
        const QString text = Evaluate(node.Data2);
        const QString value = Evaluate(node.Data3);
        LastInput = prompt_ ? prompt_->input(caption, text, value).value_or(value) : value;
        break;
    }
    case Compare:
        LastCondition = Evaluate(node.Data) == Evaluate(node.Data2) ? Equal : NotEqual;
        break;
    case Print:
        if (printPoster_) {
            const QString what = Evaluate(node.Data).toUpper();
            if (what == QLatin1String("WINDOW"))
                printPoster_(0);
            else if (what == QLatin1String("BUFFER"))
                printPoster_(1);
        }
        break;
    case ChDir:
        scriptChangeDirectory(Evaluate(node.Data));
        break;
    case Delete:
        scriptDeleteFiles(Evaluate(node.Data), log_);
        break;
    case FileCopy:
        scriptCopyFile(Evaluate(node.Data), Evaluate(node.Data2), Evaluate(node.Data3));
        break;
    case ReadConfig:
        if (!ConfigFile.isEmpty())
            LastInput
                = readIniValue(ConfigFile, Evaluate(node.Data), Evaluate(node.Data2), Evaluate(node.Data3));
        break;
    case WriteConfig:
        if (!ConfigFile.isEmpty()
            && !writeIniValue(ConfigFile, Evaluate(node.Data), Evaluate(node.Data2), Evaluate(node.Data3)))
            log_(QStringLiteral("Cannot write ") + ConfigFile);
        break;
    case ExecFile:
        scriptExecFile(Evaluate(node.Data), starter_);
        break;
    default:
        break;
    }
}
