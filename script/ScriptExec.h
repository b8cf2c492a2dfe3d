#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Starts a program without waiting for it; false when it could not be started.
using ProcessStarter = std::function<bool(const QString &program, const QStringList &arguments)>;

// The product's starter: a detached process in the current directory.
bool startDetachedProcess(const QString &program, const QStringList &arguments);

// A command line as program and arguments: blanks separate words, double
// quotes group them (three double quotes stand for one), every other character
// (";", "&&", "$(x)", "\") is plain text. Never given to a shell.
QStringList splitCommandLine(const QString &commandLine);

// The program file for `name`: a path found without case, or a bare name
// looked up in the folders of PATH, exactly first, then without case (a name
// whose case twins leave the choice open there is passed on). `name` itself
// when nothing is found.
QString findProgram(const QString &name);

// EXECFILE: starts the command line's program with its arguments through
// `start`. False when the line is empty or the program did not start.
bool scriptExecFile(const QString &commandLine, const ProcessStarter &start);
