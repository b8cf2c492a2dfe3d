#pragma once

#include <QString>

#include <memory>
#include <vector>

// A script variable; the name is kept upper-cased, "@" included when the script writes one.
class TScriptVar {
public:
    explicit TScriptVar(QString name)
        : Name(std::move(name))
    { }
    QString Name;
    QString Value;
};

// The engine's variables in the order they were first met. Entries are never removed, so
// pointers to them stay valid for the life of the list.
class Tvarlist {
public:
    // The variable of that name (compared upper-cased), or nullptr.
    TScriptVar *find(const QString &name) const;
    // The variable of that name, added with an empty value when absent.
    TScriptVar &add(const QString &name);
    qsizetype count() const { return qsizetype(vars_.size()); }
    const TScriptVar &at(qsizetype index) const { return *vars_.at(std::size_t(index)); }

private:
    std::vector<std::unique_ptr<TScriptVar>> vars_;
};
