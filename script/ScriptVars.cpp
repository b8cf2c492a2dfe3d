#include "script/ScriptVars.h"

TScriptVar *Tvarlist::find(const QString &name) const
{
    const QString key = name.toUpper();
    for (const auto &var : vars_) {
        if (var->Name == key)
            return var.get();
    }
    return nullptr;
}

TScriptVar &Tvarlist::add(const QString &name)
{
    if (TScriptVar *existing = find(name))
        return *existing;
    vars_.push_back(std::make_unique<TScriptVar>(name.toUpper()));
    return *vars_.back();
}
