#pragma once

#include <QByteArray>

class TCustomScript;

// One JSON object a line for every parsed record of the engine, fields in record order.
QByteArray dumpScriptRecords(const TCustomScript &script);
