#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

namespace profiles {

// One profile file held as bytes and read the way QSettings::IniFormat reads
// it ("[Section]" lines, "key=value" lines, ';' comments, the same escapes),
// except that keys and sections match without regard to case on every
// platform, as QSettings does on Windows: of entries that differ only by case
// the first spelling names the entry and the last value counts.
//
// Edits work in place: a changed key keeps its line and spelling, a new key
// goes to the end of its section (reusing the section's spelling) or into a
// new section at the end, duplicates that differ only by case are dropped, and
// every other byte stays as it was. Every value is a string; the non-string
// forms QSettings can store ("@Variant(...)", lists, "@Rect(...)") read as
// empty strings.
class IniDocument
{
public:
    IniDocument() = default;
    explicit IniDocument(const QByteArray &data);

    const QByteArray &data() const { return m_data; }
    // False when QSettings would report a format error (a line without '=',
    // a section header without ']'); the readable entries are there anyway.
    bool isWellFormed() const { return m_wellFormed; }

    // Keys as QSettings names them ("Section/Key"), one per entry, with the
    // spelling of its first occurrence, in file order.
    QStringList keys() const;
    bool contains(const QString &key) const;
    // Every entry's value by its key in lower case, exactly as stored (keys
    // that no normalised key can name, such as "a//b", included).
    QHash<QString, QString> foldedValues() const;
    // The value of the entry, or an empty string when there is none.
    QString value(const QString &key) const;
    // Sets the entry to value. Returns false, changing nothing, when the key
    // is empty once its slashes are normalised.
    bool setValue(const QString &key, const QString &value);

    // The settings key of group and name: "/" + group + "/" + name with
    // repeated, leading and trailing slashes removed, as QSettings does.
    static QString settingsKey(const QString &group, const QString &name);
    static QString normalizedKey(const QString &key);
    // The file forms QSettings::IniFormat writes for a key and a string value.
    static QByteArray escapedKey(const QString &key);
    static QByteArray escapedValue(const QString &value);

private:
    struct Entry
    {
        QString key;
        QString foldedKey;
        QString value;
        int start = 0;      // first byte of the line
        int valueStart = 0; // first byte after '='
        int end = 0;        // one past the line's last byte
    };
    struct Section
    {
        QString foldedPrefix; // "section/" in lower case, empty for the top level
        int lastLineEnd = -1; // end of its last line (header included), -1 for none
    };

    void parse();
    QVector<int> entriesOf(const QString &foldedKey) const;
    QByteArray lineEnding() const;
    void removeLine(const Entry &entry);
    void insertLineAfter(int lineEnd, const QByteArray &line);
    void appendSection(const QString &section, const QByteArray &line);

    QByteArray m_data;
    QVector<Entry> m_entries;
    QVector<Section> m_sections;
    int m_bodyStart = 0;
    bool m_utf8 = false;
    bool m_wellFormed = true;
};

} // namespace profiles
