#pragma once

// Game bindings in the profile folder ("bindings.json"): which profile a program gets while it
// runs. A program is named by its program file's name, compared case-insensitively and with or
// without ".exe", so that a Windows game run through Wine or Proton is found by its .exe name.

#include <QString>
#include <QVector>

namespace profiles {

inline constexpr char kBindingsFileName[] = "bindings.json";

struct GameBinding
{
    QString program; // as the user gave it (its key: programKey(program))
    QString profile; // a profile name of the profile folder, or a path
};

// The name a program is compared by: the last part of a path (either slash), lower case,
// without ".exe". Empty for a name that is empty once so reduced.
QString programKey(const QString &name);

// The bindings, in the order they were made; a file that cannot be read gives none (and the
// reason in *problem).
QVector<GameBinding> readBindings(const QString &profileFolder, QString *problem = nullptr);
// Replaces the file atomically (removes it when `bindings` is empty).
bool writeBindings(const QString &profileFolder, const QVector<GameBinding> &bindings,
                   QString *error);
// Binds `program` to `profile`, replacing its earlier binding.
bool bindProgram(const QString &profileFolder, const QString &program, const QString &profile,
                 QString *error);
// Removes the binding of `program`; false (and *error empty) when it had none.
bool unbindProgram(const QString &profileFolder, const QString &program, QString *error);

} // namespace profiles
