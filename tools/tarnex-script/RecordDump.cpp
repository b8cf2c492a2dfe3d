#include "RecordDump.h"

#include "script/ScriptTables.h"
#include "script/TCustomScript.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

QByteArray jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

} // namespace

QByteArray dumpScriptRecords(const TCustomScript &script)
{
    QByteArray out;
    const std::vector<TScriptNode> &records = script.records();
    for (std::size_t i = 0; i < records.size(); ++i) {
        const TScriptNode &node = records[i];
        out += "{\"line\":" + QByteArray::number(script.recordLine(qsizetype(i)));
        out += ",\"code\":" + QByteArray::number(node.Command);
        out += ",\"command\":" + jsonString(ScriptTables::commandName(node.Command));
        out += ",\"data\":" + jsonString(node.Data);
        out += ",\"data2\":" + jsonString(node.Data2);
        out += ",\"data3\":" + jsonString(node.Data3);
        out += ",\"option\":" + QByteArray::number(node.Option);
        out += ",\"number\":" + QByteArray::number(node.Number);
        out += ",\"condition\":" + QByteArray::number(node.Condition);
        if (node.Command == ScriptTables::WaitForTime)
            out += ",\"timeofday\":" + QByteArray::number(node.TimeOfDay, 'g', 12);
        out += "}\n";
    }
    return out;
}
