// Warnings a person sees: one line on standard error, prefixed with the
// program's name, and the same line in the log. Each distinct line is shown
// once, so a frame loop that repeats a failing call cannot flood the
// terminal. VORLAN_QUIET=1 keeps standard error quiet; the log still gets
// the lines. Safe from any thread.
#pragma once

#include <string>

#include <vorlan/app.h>

namespace vorlan {

// The program file's name without its folder ("quillowen").
const std::string& programName();

// "<program>: <message>", once per distinct message.
void warn(const std::string& message);

// "cannot <action> '<file>'<target>: <cause>", e.g. action "load picture",
// target " into sprite 3", cause "not found".
void warnFailedFile(const char* action, const char* fileName, const std::string& target,
                    const std::string& cause);

// The cause for a name that resolves to no file: "not found", and for a
// relative name the folder it was looked for in (the program's own).
std::string notFoundCause(const char* fileName);
// "not found" for a missing file, else the system's reason in lower case.
std::string fileErrorCause(int error);

// A slot or font number that names no entry of its table: "<what> <n> is
// out of range (0 to <highest>): <effect>".
void warnBadNumber(const char* what, double number, int highest, const char* effect);
// A slot number as a person reads it: truncated, "1e+300", "nan".
std::string numberText(double number);
// "out of range (0 to <highest>)", for the causes given to warnFailedFile.
std::string outOfRange(int highest);

// An operation that finds no runtime to work on: before start-up, from
// configureRuntime, or after shutdown. One line names the first such call.
void warnRuntimeAbsent(const char* operation);

// The one line of a fatal runtime error: "runtime error 9 (index out of
// range) in elementAt". Standard error always gets it (VORLAN_QUIET too).
void reportFatalError(RuntimeError error, const char* operation);
// A line on standard error that no setting keeps quiet.
void reportFatal(const std::string& message);

}  // namespace vorlan
