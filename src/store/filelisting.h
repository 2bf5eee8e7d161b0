#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

class DataFolder;

// File names match regardless of ASCII letter case, as on the Windows disks the
// collections come from; every other character (full-width letters too) as it is.
inline char16_t foldLetterCase(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}
QString foldLetterCase(const QString& name);

// A snapshot of the names in the data folder that match a pattern such as "歌詞_*.txt",
// taken from the folder's shared listing when first asked for, and again only on refresh(). The pattern's letters
// match regardless of ASCII case, as file lists do on the Windows disks the collections
// come from; "is this name listed" compares exactly, through a hash.
class FileListing {
public:
    FileListing(const DataFolder& folder, QString pattern);

    void refresh();
    const QStringList& names() const;
    bool contains(const QString& name) const;
    int count() const { return static_cast<int>(names().size()); }

    // Whether name matches pattern ('*' any run of characters, '?' one character).
    static bool matches(QStringView pattern, QStringView name);

private:
    void take() const;

    const DataFolder& m_folder;
    QString m_pattern;
    mutable bool m_taken = false;
    mutable bool m_sorted = false; // names are sorted when first asked for
    mutable QStringList m_names;
    mutable QSet<QString> m_set;
};
