#include "gamebindings.h"

#include "profileslogging.h"
#include "profilestore.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace profiles {

namespace {

constexpr qint64 kMaxBindingsBytes = 1 << 20;

QString bindingsPath(const QString &profileFolder)
{
    return profileFolder + QLatin1Char('/') + QLatin1String(kBindingsFileName);
}

} // namespace

QString programKey(const QString &name)
{
    QString key = name.trimmed();
    key =
        key.mid(std::max(key.lastIndexOf(QLatin1Char('/')), key.lastIndexOf(QLatin1Char('\\'))) + 1)
            .toLower();
    if (key.endsWith(QLatin1String(".exe")))
        key.chop(4);
    return key;
}

QVector<GameBinding> readBindings(const QString &profileFolder, QString *problem)
{
    QVector<GameBinding> bindings;
    const QString path = bindingsPath(profileFolder);
    if (!QFile::exists(path))
        return bindings;
    QByteArray data;
    FileProblem fileProblem;
    if (readFileLimited(path, kMaxBindingsBytes, &data, &fileProblem) != ReadStatus::Ok) {
        if (problem)
            *problem = fileProblem.detail.isEmpty() ? path : fileProblem.detail;
        return bindings;
    }
    const QJsonArray rows =
        QJsonDocument::fromJson(data).object().value(QStringLiteral("bindings")).toArray();
    for (const QJsonValue &value : rows) {
        const QJsonObject row = value.toObject();
        GameBinding binding{row.value(QStringLiteral("program")).toString(),
                            row.value(QStringLiteral("profile")).toString()};
        if (programKey(binding.program).isEmpty() || binding.profile.isEmpty()) {
            qCWarning(lcProfiles) << "ignoring a damaged binding in" << path;
            continue;
        }
        bindings.append(binding);
    }
    return bindings;
}

bool writeBindings(const QString &profileFolder, const QVector<GameBinding> &bindings,
                   QString *error)
{
    const QString path = bindingsPath(profileFolder);
    if (bindings.isEmpty()) {
        if (!QFile::exists(path) || QFile::remove(path))
            return true;
        *error = QFile(path).errorString();
        return false;
    }
    QJsonArray rows;
    for (const GameBinding &binding : bindings)
        rows.append(QJsonObject{{QStringLiteral("program"), binding.program},
                                {QStringLiteral("profile"), binding.profile}});
    QDir().mkpath(profileFolder);
    return writeFileAtomically(
        path, QJsonDocument(QJsonObject{{QStringLiteral("bindings"), rows}}).toJson(), false,
        error);
}

bool bindProgram(const QString &profileFolder, const QString &program, const QString &profile,
                 QString *error)
{
    QVector<GameBinding> bindings = readBindings(profileFolder);
    const QString key = programKey(program);
    bindings.erase(
        std::remove_if(bindings.begin(), bindings.end(),
                       [&](const GameBinding &b) { return programKey(b.program) == key; }),
        bindings.end());
    bindings.append({program, profile});
    return writeBindings(profileFolder, bindings, error);
}

bool unbindProgram(const QString &profileFolder, const QString &program, QString *error)
{
    QVector<GameBinding> bindings = readBindings(profileFolder);
    const QString key = programKey(program);
    const auto kept = std::remove_if(bindings.begin(), bindings.end(), [&](const GameBinding &b) {
        return programKey(b.program) == key;
    });
    error->clear();
    if (kept == bindings.end())
        return false;
    bindings.erase(kept, bindings.end());
    return writeBindings(profileFolder, bindings, error);
}

} // namespace profiles
