#pragma once

#include "store/RecordFilter.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

// What the command line asks for, read from the program's arguments.
struct CommandOptions {
    enum class Command { Help, Kinds, Print, Import, Export };
    Command command = Command::Help;

    QString folder; // empty: the program file's folder
    QString kind;
    QString file; // the workbook to import or export

    // The records in view, as the record window's filter box chooses them.
    RecordFilter::PrintState printState = RecordFilter::PrintState::Unprinted;
    std::optional<QDate> from;
    std::optional<QDate> to;
    QString keyword;

    std::optional<QString> copies; // as typed; nothing: the window's stored copies
    QString printer;
    QString pdf;
    QString pngFolder;
    bool asPrinted = false;
    bool mark = false;

    // The arguments after the program's name. Throws CommandLineError in the user's words.
    static CommandOptions parse(const QStringList &arguments);
};

// The first argument names a command of this mode (or asks for its help).
bool isCommandLine(const QStringList &arguments);

// The help text, in Chinese.
QString commandLineHelp();
