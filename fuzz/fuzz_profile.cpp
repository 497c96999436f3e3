// Profile loading and storing over arbitrary file content. Reading never
// fails on content (only on size or access), IniFile reports what the profile
// store reads, a profile is either refused or yields exactly the file's
// numbers, all in range, and a store either writes every entry so that it
// reads back, keeping every other entry, or leaves the file exactly as it was.

#include "fuzzcheck.h"
#include "inidocument.h"
#include "inifile.h"
#include "parameterprofile.h"
#include "parameters.h"
#include "profilestore.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

QApplication *s_application = nullptr;
QTemporaryDir *s_folder = nullptr;
IniFile *s_iniFile = nullptr;

struct Key
{
    QString group;
    QString name;
};

// Keys the tool itself reads and writes, and a few that stress the key rules.
QVector<Key> candidateKeys()
{
    QVector<Key> keys;
    for (const protocol::ProfileStep &step : protocol::profileWriteOrder()) {
        const protocol::ProfileKey key = protocol::profileKey(step);
        keys.append({QString::fromUtf8(key.group), QString::fromUtf8(key.key)});
    }
    keys.append({QStringLiteral("Language"), QStringLiteral("LanguageS")});
    keys.append({QStringLiteral("machinesetup"), QStringLiteral("OUTERDAMPING")});
    keys.append({QStringLiteral("New Group"), QStringLiteral("a key; with=signs")});
    keys.append({QStringLiteral("/Softward//"), QStringLiteral("Ver/")});
    keys.append({QStringLiteral("General"), QStringLiteral("k")});
    keys.append({QString(), QStringLiteral("top")});
    keys.append({QStringLiteral("\u4E2D\u6587"), QStringLiteral("\u952E")});
    return keys;
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "*.debug=false;velorax.*.warning=false");
    static int argc = 1;
    static char name[] = "fuzz_profile";
    static char *argv[] = {name, nullptr};
    s_application = new QApplication(argc, argv);
    // Atomic writes sync to disk; a memory file system keeps that cheap.
    const QString base =
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    s_folder = new QTemporaryDir(base + QStringLiteral("/velorax-fuzz-XXXXXX"));
    FUZZ_CHECK(s_folder->isValid());
    s_iniFile = new IniFile;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The last three bytes choose the key and the slice of the content that
    // becomes the value to store; the rest is the file.
    std::size_t contentSize = size;
    std::uint8_t keyChoice = 0, sliceStart = 0, sliceLength = 0;
    if (size >= 3) {
        contentSize = size - 3;
        keyChoice = data[size - 3];
        sliceStart = data[size - 2];
        sliceLength = data[size - 1];
    }
    const QByteArray content(reinterpret_cast<const char *>(data), int(contentSize));
    const QString path = s_folder->filePath(QStringLiteral("profile.ini"));
    FUZZ_CHECK(writeBytes(path, content));

    // Reading.
    const profiles::ProfileValues values = profiles::ProfileValues::read(path);
    FUZZ_CHECK(values.status() == profiles::ReadStatus::Ok);
    const profiles::IniDocument document(content);
    FUZZ_CHECK(values.keys() == document.keys());
    for (const QString &key : document.keys()) {
        // Keys such as "a//b" or "" cannot be named through a settings key.
        if (!key.isEmpty() && profiles::IniDocument::normalizedKey(key) == key)
            FUZZ_CHECK(document.contains(key));
    }

    static const QVector<Key> keys = candidateKeys();
    for (int i = 0; i < keys.size(); ++i) {
        const Key &key = keys.at(i);
        const QString stored = values.value(key.group, key.name);
        FUZZ_CHECK(values.number(key.group, key.name) == profiles::profileNumber(stored));
        // IniFile reads the file afresh on every call: a few keys suffice.
        if (i % 8 != keyChoice % 8)
            continue;
        QString viaHelper = QStringLiteral("untouched");
        FUZZ_CHECK(s_iniFile->ReadIniFile(path, key.group, key.name, viaHelper) == 0);
        FUZZ_CHECK(viaHelper == stored);
    }
    // What a load would send: exactly the numbers the file holds, or nothing at all.
    const profiles::CheckedProfile checked = profiles::checkProfile(path);
    FUZZ_CHECK((checked.verdict == profiles::ProfileVerdict::Loadable) ==
               (values.editionMarker() == profiles::EditionMarker::Ours &&
                checked.missingKeys.isEmpty() && checked.badValues.isEmpty()));
    for (const protocol::ParameterInfo &info : protocol::parameterTable()) {
        const QString text =
            values.value(QString::fromUtf8(info.profile.group), QString::fromUtf8(info.profile.key))
                .trimmed();
        const int sent = checked.values.value(info.parameter);
        bool decimal = !text.isEmpty() && text != QLatin1String("-") && !text.startsWith('+');
        const qlonglong number = decimal ? text.toLongLong(&decimal, 10) : 0;
        const bool accepted = decimal ? info.range.contains(int(number)) && number == sent
                                      : (text.isEmpty() || text == QLatin1String("-")) &&
                                            info.range.contains(0) && sent == 0;
        if (checked.verdict == profiles::ProfileVerdict::Loadable)
            FUZZ_CHECK(accepted && info.range.contains(sent));
    }

    // Storing: one chosen key, plus the edition marker the tool always writes.
    const Key &chosen = keys.at(keyChoice % keys.size());
    const QString value =
        QString::fromUtf8(content.mid(sliceStart % (content.size() + 1), sliceLength % 48));
    const QVector<profiles::ProfileEntry> entries = {
        {chosen.group, chosen.name, value},
        {QStringLiteral("Softward"), QStringLiteral("Ver"), QStringLiteral("0")}};
    const QHash<QString, QString> before = document.foldedValues();

    const profiles::WriteStatus status = profiles::writeProfileValues(path, entries);
    const QByteArray after = readBytes(path);
    if (status == profiles::WriteStatus::Written) {
        const profiles::IniDocument reread(after);
        // Entries naming one key: the last one counts.
        QHash<QString, QString> expected = before;
        for (const profiles::ProfileEntry &entry : entries)
            expected.insert(profiles::IniDocument::settingsKey(entry.group, entry.name).toLower(),
                            entry.value);
        for (const profiles::ProfileEntry &entry : entries) {
            const QString key = profiles::IniDocument::settingsKey(entry.group, entry.name);
            FUZZ_CHECK(reread.value(key) == expected.value(key.toLower()));
        }
        FUZZ_CHECK(reread.foldedValues() == expected);
    } else {
        FUZZ_CHECK(status == profiles::WriteStatus::Failed);
        FUZZ_CHECK(after == content);
    }
    // No temporary file is left beside the profile.
    FUZZ_CHECK(QDir(s_folder->path()).entryList(QDir::Files | QDir::Hidden).size() == 1);

    // IniFile stores the same way and says so.
    FUZZ_CHECK(writeBytes(path, content));
    const int helperResult = s_iniFile->WriteIniFile(path, chosen.group, chosen.name, value);
    FUZZ_CHECK(helperResult == 0 || helperResult == -1);
    if (helperResult == 0) {
        QString back;
        FUZZ_CHECK(s_iniFile->ReadIniFile(path, chosen.group, chosen.name, back) == 0);
        FUZZ_CHECK(back == value);
    } else {
        FUZZ_CHECK(readBytes(path) == content);
    }
    return 0;
}
